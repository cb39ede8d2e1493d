// Setup screen items: cycling selectors (plates with a cycle arrow, or rendered draughts) and the
// description panels and board pictures that follow them.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/ui_images.h"

namespace assetgen {
namespace {

constexpr int kMargin = 2;
constexpr float kSelectorText = 15.0f;

struct TextItem {
  assets::SelectorItem item;
  const char* text;
  int width;
  int disc;  // 0 none, 1 white draught icon, 2 black draught icon
};
constexpr TextItem kTextItems[] = {
    {assets::selector::kSquareBoard, "SQUARE BOARD", 170, 0},
    {assets::selector::kRoundBoard, "ROUND BOARD", 170, 0},
    {assets::selector::kTwelveBoard, "TWELVE-SIDED", 170, 0},
    {assets::selector::kPlayWhite, "PLAY WHITE", 150, 1},
    {assets::selector::kPlayBlack, "PLAY BLACK", 150, 2},
    {assets::selector::kByTurn, "BY TURN", 126, 0},
    {assets::selector::kToAMiss, "TO A MISS", 126, 0},
    {assets::selector::kQuickGame, "QUICK GAME", 126, 0},
    {assets::selector::kCampaign, "CAMPAIGN", 126, 0},
    {assets::selector::kWindowed, "WINDOW", 124, 0},
    {assets::selector::kFullScreen, "FULL SCREEN", 124, 0},
    {assets::selector::kStarsOn, "STARS ON", 124, 0},
    {assets::selector::kStarsOff, "STARS OFF", 124, 0},
};

struct Panel {
  assets::SelectorItem item;
  const char* title;
  std::vector<const char*> lines;
};
const std::vector<Panel>& Panels() {
  static const std::vector<Panel> kPanels = {
      {assets::selector::kSquareBoardText, "KNIGHT'S CROSS",
       {"Square board: a 10 x 10 field", "in a mahogany border.", "Draughts slide a fair way."}},
      {assets::selector::kRoundBoardText, "SHAMAN'S DRUM",
       {"Round board of painted hide.", "A rough skin: draughts", "come to rest soonest."}},
      {assets::selector::kTwelveBoardText, "MACEDONIAN SHIELD",
       {"Twelve-sided board of green", "marble. Polished stone:", "draughts glide the furthest."}},
      {assets::selector::kBoneText, "BONE",
       {"Ivory-white and dark bone.", "A lively bounce and an", "even slide."}},
      {assets::selector::kWoodText, "WOOD",
       {"Maple and walnut, with grain.", "Soft knocks, the least bounce;", "they stop a little sooner."}},
      {assets::selector::kStoneText, "STONE",
       {"White and black marble.", "Hard knocks, the most bounce;", "they slide a little further."}},
  };
  return kPanels;
}

constexpr float kCycleRadius = 5.5f;
constexpr float kCycleInset = 13;  // from the right end to the icon's centre
constexpr float kCycleGap = 1.1f;  // radians left open at the top, where the arrowhead points

// A click steps the list on, wrapping: one clockwise circular arrow at the right end says so.
void CycleArrow(Image& img, bool hi) {
  const float cx = img.Width() - kCycleInset, cy = img.Height() / 2.0f;
  const Color c = hi ? style::kGoldBright : WithAlpha(style::kGold, 0.8f);
  // The stroke runs clockwise from the tail, right of the top, round to the tip, left of it.
  const float tail = kPi / 2 - kCycleGap / 2, tip = kPi / 2 + kCycleGap / 2;
  img.FillColor([&](float x, float y) {
    const float a = std::atan2(y - cy, x - cx);
    return a > tail && a < tip ? 1.0f : std::fabs(SdCircle(x, y, cx, cy, kCycleRadius)) - 0.9f;
  }, c);
  const float hx = cx + kCycleRadius * std::cos(tip), hy = cy + kCycleRadius * std::sin(tip);
  const auto head = Arrowhead(hx + 1.2f, hy, std::sin(tip), -std::cos(tip), 3.6f);
  img.FillColor([&](float x, float y) { return SdPolygon(x, y, head); }, c);
}

Image TextSelector(const TextItem& item, bool hi, const Fonts& fonts) {
  Image img(item.width, style::kButtonHeight);
  DrawPlate(img, kMargin, 7, hi);
  CycleArrow(img, hi);
  // The label fills the room between the left end (or the side icon) and the arrow, shrinking to fit.
  float left = 10;
  if (item.disc) {
    const float dx = 19, dy = img.Height() / 2.0f;
    const Color fill = item.disc == 1 ? Rgb(238, 230, 210) : Rgb(40, 30, 26);
    img.FillColor([&](float x, float y) { return SdCircle(x, y, dx, dy, 6.5f); }, fill);
    img.FillColor([&](float x, float y) { return std::fabs(SdCircle(x, y, dx, dy, 6.5f)) - 0.6f; }, style::kGold);
    img.FillColor([&](float x, float y) { return std::fabs(SdCircle(x, y, dx, dy, 4.0f)) - 0.4f; },
                  WithAlpha(style::kGold, 0.7f));
    left = 30;
  }
  const float right = item.width - 2 * kCycleInset, centre = (left + right) / 2;
  float px = kSelectorText;
  while (px > 10 && fonts.bold.Width(item.text, px, 0.5f) > right - left) px -= 0.5f;
  DrawFaceButtonLabel(img, fonts.bold, item.text, px, hi, centre, 0.5f);
  return img;
}

Image PanelPicture(const Panel& p, const Fonts& fonts) {
  constexpr int kW = 300, kLine = 19;
  const int h = 40 + kLine * static_cast<int>(p.lines.size());
  Image img(kW, h);
  auto box = [&](float x, float y) { return SdRoundRect(x, y, kW / 2.0f, h / 2.0f, kW / 2.0f - 1, h / 2.0f - 1, 9); };
  img.FillColor(box, Rgb(12, 18, 40, 0.62f));
  img.FillColor([&](float x, float y) { return std::fabs(box(x, y) + 0.7f) - 0.5f; }, WithAlpha(style::kGold, 0.5f));
  fonts.bold.Draw(img, 14, h - 24.0f, p.title, 17, style::kGoldBright, 0.8f);
  img.FillColor([&](float x, float y) { return SdSegment(x, y, 14, h - 31.0f, kW - 14.0f, h - 31.0f, 0.5f); },
                WithAlpha(style::kGold, 0.45f));
  for (size_t i = 0; i < p.lines.size(); ++i)
    fonts.regular.Draw(img, 14, h - 50.0f - kLine * static_cast<float>(i), p.lines[i], 14, style::kLabel);
  return img;
}

// First and last columns holding any coverage; {0, -1} for an empty picture.
std::pair<int, int> CoveredColumns(const Image& img) {
  int first = img.Width(), last = -1;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x)
      if (img.Get(x, y).a > 0) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
  return {std::min(first, last + 1), last};
}

Image DraughtSelector(DraughtMaterial material, const char* label, bool hi, const Fonts& fonts) {
  constexpr int kW = 112, kH = 140, kPlateH = 26;
  // The pair is rendered on a wide canvas whose height sets its size (about 100 px across, room
  // for the glow), then centred, so neither draught is cut by the picture's edge.
  constexpr int kPairCanvasW = 2 * kW, kPairCanvasH = 90;
  Image img(kW, kH);
  Image plate(kW, kPlateH);
  DrawPlate(plate, kMargin, 7, hi);
  CycleArrow(plate, hi);
  const Image pair = DraughtPairPicture(material, kPairCanvasW, kPairCanvasH);
  const auto [first, last] = CoveredColumns(pair);
  const int pairX = (kW - (last - first + 1)) / 2 - first;
  if (hi) {
    Image glowShape(kW, kH);
    glowShape.Composite(pair, pairX, kPlateH);
    AddGlow(img, glowShape, style::kGlow, 5, 0.8f);
  }
  img.Composite(pair, pairX, kPlateH);
  img.Composite(plate, 0, 0);
  DrawFaceLabel(img, fonts.bold, label, kSelectorText, hi ? style::kLabelHot : style::kLabel,
                kW / 2.0f - kCycleInset / 2, kPlateH / 2.0f, 0.5f);
  return img;
}

}  // namespace

Image SelectorPicture(const assets::SelectorItem& item, bool hi, const Fonts& fonts) {
  namespace sel = assets::selector;
  for (const auto& t : kTextItems)
    if (item == t.item) return TextSelector(t, hi, fonts);
  for (const auto& p : Panels())
    if (item == p.item) return PanelPicture(p, fonts);
  if (item == sel::kBoneDraughts) return DraughtSelector(DraughtMaterial::kBone, "BONE", hi, fonts);
  if (item == sel::kWoodDraughts) return DraughtSelector(DraughtMaterial::kWood, "WOOD", hi, fonts);
  if (item == sel::kStoneDraughts) return DraughtSelector(DraughtMaterial::kRock, "STONE", hi, fonts);
  if (item == sel::kSquareBoardPicture) return BoardPicture(0, 136);
  if (item == sel::kRoundBoardPicture) return BoardPicture(1, 136);
  if (item == sel::kTwelveBoardPicture) return BoardPicture(2, 136);
  throw std::invalid_argument(std::string("no picture is drawn for selector item '") + item.folder + "/" + item.file + "'");
}

}  // namespace assetgen
