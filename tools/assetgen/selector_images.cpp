// Setup screen items: cycling selectors (plates with chevrons, or rendered draughts) and the
// description panels and board pictures that follow them.
#include <cmath>
#include <stdexcept>
#include <vector>

#include "tools/assetgen/ui_images.h"

namespace assetgen {
namespace {

constexpr int kMargin = 2;
constexpr float kSelectorText = 15.0f;

struct TextItem {
  const char* folder;
  const char* file;
  const char* text;
  int width;
  int disc;  // 0 none, 1 white draught icon, 2 black draught icon
};
constexpr TextItem kTextItems[] = {
    {"textures/smenu/desk", "krest.tga", "SQUARE BOARD", 170, 0},
    {"textures/smenu/desk", "shaman.tga", "ROUND BOARD", 170, 0},
    {"textures/smenu/desk", "maked.tga", "TWELVE-SIDED", 170, 0},
    {"textures/smenu", "white.tga", "PLAY WHITE", 150, 1},
    {"textures/smenu", "black.tga", "PLAY BLACK", 150, 2},
    {"textures/smenu", "modern.tga", "BY TURN", 126, 0},
    {"textures/smenu", "classic.tga", "TO A MISS", 126, 0},
    {"textures/smenu", "short.tga", "QUICK GAME", 126, 0},
    {"textures/smenu", "long.tga", "CAMPAIGN", 126, 0},
    {"textures/smenu", "winmode.tga", "WINDOW", 124, 0},
    {"textures/smenu", "fullscr.tga", "FULL SCREEN", 124, 0},
    {"textures/smenu", "starsOn.tga", "STARS ON", 124, 0},
    {"textures/smenu", "starsOff.tga", "STARS OFF", 124, 0},
};

struct Panel {
  const char* folder;
  const char* file;
  const char* title;
  std::vector<const char*> lines;
};
const std::vector<Panel>& Panels() {
  static const std::vector<Panel> kPanels = {
      {"textures/smenu/descr", "knight.tga", "KNIGHT'S CROSS",
       {"Square board: a 10 x 10 field", "in a mahogany border.", "Draughts slide a fair way."}},
      {"textures/smenu/descr", "shaman.tga", "SHAMAN'S DRUM",
       {"Round board of painted hide.", "A rough skin: draughts", "come to rest soonest."}},
      {"textures/smenu/descr", "maked.tga", "MACEDONIAN SHIELD",
       {"Twelve-sided board of green", "marble. Polished stone:", "draughts glide the furthest."}},
      {"textures/smenu/chdescr", "bone.tga", "BONE",
       {"Ivory-white and dark bone.", "A lively bounce and an", "even slide."}},
      {"textures/smenu/chdescr", "wood.tga", "WOOD",
       {"Maple and walnut, with grain.", "Soft knocks, the least bounce;", "they stop a little sooner."}},
      {"textures/smenu/chdescr", "rock.tga", "STONE",
       {"White and black marble.", "Hard knocks, the most bounce;", "they slide a little further."}},
  };
  return kPanels;
}

void Chevrons(Image& img, bool hi) {
  const float cy = img.Height() / 2.0f, w = static_cast<float>(img.Width());
  const Color c = hi ? style::kGoldBright : WithAlpha(style::kGold, 0.8f);
  for (int side = 0; side < 2; ++side) {
    const float x = side == 0 ? 11.0f : w - 11.0f, dir = side == 0 ? -1.0f : 1.0f;
    const std::vector<Pt> tri = {{x + dir * 4, cy}, {x - dir * 3, cy + 5}, {x - dir * 3, cy - 5}};
    img.FillColor([&](float px, float py) { return SdPolygon(px, py, tri); }, c);
  }
}

Image TextSelector(const TextItem& item, bool hi, const Fonts& fonts) {
  Image img(item.width, style::kButtonHeight);
  DrawPlate(img, kMargin, 7, hi);
  Chevrons(img, hi);
  float centre = item.width / 2.0f;
  if (item.disc) {
    const float dx = 27, dy = img.Height() / 2.0f;
    const Color fill = item.disc == 1 ? Rgb(238, 230, 210) : Rgb(40, 30, 26);
    img.FillColor([&](float x, float y) { return SdCircle(x, y, dx, dy, 6.5f); }, fill);
    img.FillColor([&](float x, float y) { return std::fabs(SdCircle(x, y, dx, dy, 6.5f)) - 0.6f; }, style::kGold);
    img.FillColor([&](float x, float y) { return std::fabs(SdCircle(x, y, dx, dy, 4.0f)) - 0.4f; },
                  WithAlpha(style::kGold, 0.7f));
    centre += 8;
  }
  const Color text = hi ? style::kLabelHot : style::kLabel;
  // Long labels shrink to stay clear of the chevrons (and the side icon).
  const float room = item.width - 44.0f - (item.disc ? 16.0f : 0.0f);
  float px = kSelectorText;
  while (px > 10 && fonts.bold.Width(item.text, px, 0.5f) > room) px -= 0.5f;
  if (hi) {
    Image mask(img.Width(), img.Height());
    DrawFaceLabel(mask, fonts.bold, item.text, px, {1, 1, 1, 1}, centre, img.Height() / 2.0f, 0.5f);
    AddGlow(img, mask, style::kGlow, 2, 0.7f);
  }
  DrawFaceLabel(img, fonts.bold, item.text, px, WithAlpha(style::kInk, 0.7f), centre + 1,
                img.Height() / 2.0f - 1, 0.5f);
  DrawFaceLabel(img, fonts.bold, item.text, px, text, centre, img.Height() / 2.0f, 0.5f);
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

Image DraughtSelector(DraughtMaterial material, const char* label, bool hi, const Fonts& fonts) {
  constexpr int kW = 112, kH = 140, kPlateH = 26;
  Image img(kW, kH);
  Image plate(kW, kPlateH);
  DrawPlate(plate, kMargin, 7, hi);
  Chevrons(plate, hi);
  const Image pair = DraughtPairPicture(material, kW, kH - kPlateH);
  if (hi) {
    Image glowShape(kW, kH);
    glowShape.Composite(pair, 0, kPlateH);
    AddGlow(img, glowShape, style::kGlow, 5, 0.8f);
  }
  img.Composite(pair, 0, kPlateH);
  img.Composite(plate, 0, 0);
  DrawFaceLabel(img, fonts.bold, label, kSelectorText, hi ? style::kLabelHot : style::kLabel, kW / 2.0f,
                kPlateH / 2.0f, 0.5f);
  return img;
}

}  // namespace

Image SelectorPicture(const std::string& folder, const std::string& file, bool hi, const Fonts& fonts) {
  for (const auto& t : kTextItems)
    if (folder == t.folder && file == t.file) return TextSelector(t, hi, fonts);
  for (const auto& p : Panels())
    if (folder == p.folder && file == p.file) return PanelPicture(p, fonts);
  if (folder == "textures/smenu/checks") {
    if (file == "bone.tga") return DraughtSelector(DraughtMaterial::kBone, "BONE", hi, fonts);
    if (file == "wood.tga") return DraughtSelector(DraughtMaterial::kWood, "WOOD", hi, fonts);
    if (file == "rock.tga") return DraughtSelector(DraughtMaterial::kRock, "STONE", hi, fonts);
  }
  if (folder == "textures/smenu/left") {
    if (file == "krest.tga") return BoardPicture(0, 136);
    if (file == "shaman.tga") return BoardPicture(1, 136);
    if (file == "maked.tga") return BoardPicture(2, 136);
  }
  throw std::invalid_argument("no picture is drawn for selector item '" + folder + "/" + file + "'");
}

}  // namespace assetgen
