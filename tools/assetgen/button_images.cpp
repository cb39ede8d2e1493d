// Menu buttons: labelled plates sized to their text, and icon plates for the camera and scroll keys.
#include <cmath>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "tools/assetgen/ui_images.h"

namespace assetgen {
namespace {

constexpr int kMargin = 2;
constexpr int kLabelPadding = 18;

struct IconSize {
  std::string_view base;
  int w, h;
};
constexpr IconSize kIconSizes[] = {{"arrup", 32, 32},   {"arrdown", 32, 32},  {"rot_left", 90, 28},
                                   {"rot_right", 90, 28}, {"rot_up", 28, 40},  {"rot_down", 28, 40},
                                   {"minus", 28, 28},   {"plus", 28, 28},     {"focus", 28, 28}};

// Triangle pointing along (dx, dy), centred at (cx, cy).
std::vector<Pt> Arrowhead(float cx, float cy, float dx, float dy, float size) {
  const float px = -dy, py = dx;
  return {{cx + dx * size, cy + dy * size},
          {cx - dx * size * 0.6f + px * size * 0.85f, cy - dy * size * 0.6f + py * size * 0.85f},
          {cx - dx * size * 0.6f - px * size * 0.85f, cy - dy * size * 0.6f - py * size * 0.85f}};
}

void DrawIcon(Image& img, std::string_view base, bool hi, const Fonts& fonts) {
  const float w = static_cast<float>(img.Width()), h = static_cast<float>(img.Height());
  const float cx = w / 2, cy = h / 2;
  Image shape(img.Width(), img.Height());
  const Color white{1, 1, 1, 1};
  auto tri = [&](float x, float y, float dx, float dy, float s) {
    const auto poly = Arrowhead(x, y, dx, dy, s);
    shape.FillColor([&](float px, float py) { return SdPolygon(px, py, poly) - 0.6f; }, white);
  };
  if (base == "arrup") tri(cx, cy - 1, 0, 1, 8);
  if (base == "arrdown") tri(cx, cy + 1, 0, -1, 8);
  if (base == "rot_up") tri(cx, cy - 1, 0, 1, 7);
  if (base == "rot_down") tri(cx, cy + 1, 0, -1, 7);
  if (base == "rot_left" || base == "rot_right") {
    const bool left = base == "rot_left";
    const float ax = left ? 16.0f : w - 16.0f;
    tri(ax, cy, left ? -1.0f : 1.0f, 0, 7);
    fonts.baked.Draw(shape, left ? 29.0f : 13.0f, std::round(cy - fonts.regular.CapHeight(kBakedPixelHeight) / 2),
                     "TURN", white);
  }
  if (base == "plus" || base == "minus") {
    shape.FillColor([&](float x, float y) { return SdRoundRect(x, y, cx, cy, 7, 1.8f, 1); }, white);
    if (base == "plus") shape.FillColor([&](float x, float y) { return SdRoundRect(x, y, cx, cy, 1.8f, 7, 1); }, white);
  }
  if (base == "focus") {
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
      if (s.base == b.base) {
        Image img(s.w, s.h);
        DrawPlate(img, kMargin, std::min(s.w, s.h) * 0.3f, hi);
        DrawIcon(img, s.base, hi, fonts);
        return img;
      }
    throw std::invalid_argument(std::string("no icon is drawn for button '") + b.base + "'");
  }
  const int width = static_cast<int>(std::ceil(fonts.baked.Width(label))) + 2 * (kLabelPadding + kMargin);
  Image img(width + (width & 1), style::kButtonHeight);
  DrawPlate(img, kMargin, 7, hi);
  DrawBakedLabel(img, fonts, label, hi, img.Width() / 2.0f);
  return img;
}

}  // namespace assetgen
