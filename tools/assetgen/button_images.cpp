// Menu buttons: labelled plates sized to their text or fitted to where the screens place them, and
// icon plates for the camera and scroll keys.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "tools/assetgen/ui_images.h"

namespace assetgen {
namespace {

constexpr int kMargin = 2;
constexpr int kLabelPadding = 18;
constexpr int kCompactPlateWidth = 102;
constexpr float kCompactPadding = 8;
constexpr float kCompactLabelMax = 15.0f;
constexpr float kLabelTracking = 0.5f;

// Buttons whose plate stands a transparent inset right of where the picture is placed.
enum class Plate { kLevel, kCompact };
struct PlacedButton {
  assets::Button button;
  Plate plate;
  int inset;
};
constexpr PlacedButton kPlacedButtons[] = {
    // The level screens place these at x 137, 122, 140 and 148: equal pictures whose plates line
    // up at x 148.
    {assets::button::kBeginner, Plate::kLevel, 11},
    {assets::button::kPro, Plate::kLevel, 26},
    {assets::button::kExpert, Plate::kLevel, 8},
    {assets::button::kBack, Plate::kLevel, 0},
    {assets::button::kNetwork, Plate::kLevel, 0},
    {assets::button::kHost, Plate::kLevel, 0},
    {assets::button::kJoin, Plate::kLevel, 0},
    // Beside the result headlines (x 257 to 530 at the widest, outline included): "mainmnu" and
    // "leavegm" at x 150 end before them; "again" at x 508 and "nextl" at x 500 begin their plates
    // at x 534, after them. Their partners on the pause and setup screens match them.
    {assets::button::kMainMenu, Plate::kCompact, 0},
    {assets::button::kLeaveGame, Plate::kCompact, 0},
    {assets::button::kAgain, Plate::kCompact, 26},
    {assets::button::kNextSet, Plate::kCompact, 34},
    {assets::button::kContinue, Plate::kCompact, 0},
    {assets::button::kDefaults, Plate::kCompact, 0},
};
constexpr int kLevelColumnInset = 26;  // the largest level inset: every level picture is as wide

// The largest label height at which every compact label fits its plate, so they all match.
float CompactLabelHeight(const Fonts& fonts) {
  const float room = kCompactPlateWidth - 2 * (kMargin + kCompactPadding);
  float px = kCompactLabelMax;
  for (const auto& b : assets::kButtons)
    for (const auto& p : kPlacedButtons)
      if (p.button == b && p.plate == Plate::kCompact)
        while (fonts.bold.Width(b.label, px, kLabelTracking) > room) px -= 0.5f;
  return px;
}

int LabelPlateWidth(const Fonts& fonts, const std::string& label) {
  const int width = static_cast<int>(std::ceil(fonts.baked.Width(label))) + 2 * (kLabelPadding + kMargin);
  return width + (width & 1);
}

int LevelPlateWidth(const Fonts& fonts) {
  int widest = 0;
  for (const auto& b : assets::kButtons)
    for (const auto& p : kPlacedButtons)
      if (p.button == b && p.plate == Plate::kLevel) widest = std::max(widest, LabelPlateWidth(fonts, b.label));
  return widest;
}

struct IconSize {
  assets::Button button;
  int w, h;
};
constexpr IconSize kIconSizes[] = {
    {assets::button::kArrowUp, 32, 32},
    {assets::button::kArrowDown, 32, 32},
    {assets::button::kTurnLeft, 90, 28},
    {assets::button::kTurnRight, 90, 28},
    {assets::button::kTurnUp, 28, 40},
    {assets::button::kTurnDown, 28, 40},
    {assets::button::kZoomOut, 28, 28},
    {assets::button::kZoomIn, 28, 28},
    {assets::button::kFocus, 28, 28},
};

void DrawIcon(Image& img, const assets::Button& icon, bool hi, const Fonts& fonts) {
  namespace btn = assets::button;
  const float w = static_cast<float>(img.Width()), h = static_cast<float>(img.Height());
  const float cx = w / 2, cy = h / 2;
  Image shape(img.Width(), img.Height());
  const Color white{1, 1, 1, 1};
  auto tri = [&](float x, float y, float dx, float dy, float s) {
    const auto poly = Arrowhead(x, y, dx, dy, s);
    shape.FillColor([&](float px, float py) { return SdPolygon(px, py, poly) - 0.6f; }, white);
  };
  // "arrup" stands at the foot of the page and moves on toward its end, "arrdown" at the head
  // moves back toward its start: each points the way the page goes.
  if (icon == btn::kArrowUp) tri(cx, cy + 1, 0, -1, 8);
  if (icon == btn::kArrowDown) tri(cx, cy - 1, 0, 1, 8);
  if (icon == btn::kTurnUp) tri(cx, cy - 1, 0, 1, 7);
  if (icon == btn::kTurnDown) tri(cx, cy + 1, 0, -1, 7);
  if (icon == btn::kTurnLeft || icon == btn::kTurnRight) {
    const bool left = icon == btn::kTurnLeft;
    const float ax = left ? 16.0f : w - 16.0f;
    tri(ax, cy, left ? -1.0f : 1.0f, 0, 7);
    fonts.baked.Draw(shape, left ? 29.0f : 13.0f, std::round(cy - fonts.regular.CapHeight(kBakedPixelHeight) / 2),
                     "TURN", white);
  }
  if (icon == btn::kZoomIn || icon == btn::kZoomOut) {
    shape.FillColor([&](float x, float y) { return SdRoundRect(x, y, cx, cy, 7, 1.8f, 1); }, white);
    if (icon == btn::kZoomIn) shape.FillColor([&](float x, float y) { return SdRoundRect(x, y, cx, cy, 1.8f, 7, 1); }, white);
  }
  if (icon == btn::kFocus) {
    shape.FillColor([&](float x, float y) { return std::fabs(SdCircle(x, y, cx, cy, 7)) - 1.1f; }, white);
    shape.FillColor([&](float x, float y) { return SdCircle(x, y, cx, cy, 2.2f); }, white);
    for (int k = 0; k < 4; ++k) {
      const float dx = k == 0 ? 1.0f : k == 1 ? -1.0f : 0.0f, dy = k == 2 ? 1.0f : k == 3 ? -1.0f : 0.0f;
      shape.FillColor([&](float x, float y) { return SdSegment(x, y, cx + dx * 9, cy + dy * 9, cx + dx * 12, cy + dy * 12, 1.0f); },
                      white);
    }
  }
  if (hi) AddGlow(img, shape, style::kGlow, 2, 0.8f);
  Image shadow = shape.Tinted(WithAlpha(style::kInk, 0.7f));
  img.Composite(shadow, 1, -1);
  img.Composite(shape.Tinted(hi ? style::kLabelHot : style::kLabel), 0, 0);
}

}  // namespace

Image ButtonPicture(const assets::Button& b, bool hi, const Fonts& fonts) {
  const std::string label = b.label;
  if (label.empty()) {
    for (const auto& s : kIconSizes)
      if (s.button == b) {
        Image img(s.w, s.h);
        DrawPlate(img, kMargin, std::min(s.w, s.h) * 0.3f, hi);
        DrawIcon(img, b, hi, fonts);
        return img;
      }
    throw std::invalid_argument(std::string("no icon is drawn for button '") + b.base + "'");
  }
  for (const auto& p : kPlacedButtons) {
    if (p.button != b) continue;
    const bool compact = p.plate == Plate::kCompact;
    const int plateWidth = compact ? kCompactPlateWidth : LevelPlateWidth(fonts);
    Image plate(plateWidth, style::kButtonHeight);
    DrawPlate(plate, kMargin, 7, hi);
    if (compact)
      DrawFaceButtonLabel(plate, fonts.bold, label, CompactLabelHeight(fonts), hi, plateWidth / 2.0f, kLabelTracking);
    else
      DrawBakedLabel(plate, fonts, label, hi, plateWidth / 2.0f);
    Image img(plateWidth + (compact ? p.inset : kLevelColumnInset), style::kButtonHeight);
    img.Composite(plate, p.inset, 0);
    return img;
  }
  Image img(LabelPlateWidth(fonts, label), style::kButtonHeight);
  DrawPlate(img, kMargin, 7, hi);
  DrawBakedLabel(img, fonts, label, hi, img.Width() / 2.0f);
  return img;
}

}  // namespace assetgen
