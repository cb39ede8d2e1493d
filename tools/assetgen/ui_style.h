// The menu look shared by every button, selector and panel: plates, glow and labels.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/image.h"
#include "tools/assetgen/text.h"

namespace assetgen {

struct Fonts {
  BakedFont baked{kFontPath};  // the game font, also used for button labels
  FontFace regular{kFontPath};
  FontFace bold{kBoldFontPath};
};

namespace style {
inline const Color kGold = Rgb(222, 186, 104);
inline const Color kGoldBright = Rgb(255, 230, 150);
inline const Color kGlow = Rgb(255, 186, 72);
inline const Color kLabel = Rgb(234, 228, 210);
inline const Color kLabelHot = Rgb(255, 252, 232);
inline const Color kInk = Rgb(10, 12, 26);
inline constexpr int kButtonHeight = 26;  // menu rows stand 26 px apart
}  // namespace style

// A rounded plate filling the image less `margin` on each side; the highlighted one is lighter,
// warmer and surrounded by a glow that fills the margin.
void DrawPlate(Image& img, int margin, float radius, bool highlighted);
// Adds a soft glow around whatever is already drawn (used for highlighted labels and icons).
void AddGlow(Image& img, const Image& shape, Color color, int radius, float strength);
// Centred label in the baked game font (vertically centred on the capitals).
void DrawBakedLabel(Image& img, const Fonts& fonts, const std::string& text, bool highlighted, float centreX);
// Centred label in the free-size face with the buttons' drop shadow, glowing when highlighted.
void DrawFaceButtonLabel(Image& img, const FontFace& face, const std::string& text, float pixelHeight, bool highlighted,
                         float centreX, float tracking);
// Triangle pointing along the unit direction (dx, dy), centred at (cx, cy).
std::vector<Pt> Arrowhead(float cx, float cy, float dx, float dy, float size);
// Centred label in the free-size face.
void DrawFaceLabel(Image& img, const FontFace& face, const std::string& text, float pixelHeight, Color color,
                   float centreX, float centreY, float tracking = 0);

}  // namespace assetgen
