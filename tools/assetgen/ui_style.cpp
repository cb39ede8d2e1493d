// Plates and labels in the one menu style.
#include "tools/assetgen/ui_style.h"

#include <cmath>

namespace assetgen {

void DrawPlate(Image& img, int margin, float radius, bool highlighted) {
  const float w = static_cast<float>(img.Width()), h = static_cast<float>(img.Height());
  const float cx = w / 2, cy = h / 2, hw = w / 2 - margin, hh = h / 2 - margin;
  auto plate = [=](float x, float y) { return SdRoundRect(x, y, cx, cy, hw, hh, radius); };
  if (highlighted) {
    Image mask(img.Width(), img.Height());
    mask.FillColor(plate, {1, 1, 1, 1});
    AddGlow(img, mask, style::kGlow, std::max(1, margin), 1.0f);
  }
  const Color top = highlighted ? Rgb(92, 112, 178, 0.95f) : Rgb(40, 54, 98, 0.88f);
  const Color bottom = highlighted ? Rgb(44, 54, 112, 0.95f) : Rgb(14, 20, 44, 0.88f);
  img.Fill(plate, [=](float, float y) { return Mix(bottom, top, Clamp01((y - (cy - hh)) / (2 * hh))); });
  // A sheen on the upper half.
  img.Fill([=](float x, float y) { return std::max(plate(x, y) + 1.5f, cy + 1 - y); },
           [=](float, float y) { return Color{1, 1, 1, 0.10f + 0.08f * Clamp01((y - cy) / hh)}; });
  const Color edge = highlighted ? style::kGoldBright : WithAlpha(style::kGold, 0.85f);
  img.FillColor([=](float x, float y) { return std::fabs(plate(x, y) + 0.7f) - 0.6f; }, edge);
}

void AddGlow(Image& img, const Image& shape, Color color, int radius, float strength) {
  const Image halo = shape.Blurred(radius).Tinted(color);
  for (int i = 0; i < 2; ++i) img.Composite(halo, 0, 0, strength);
}

void DrawBakedLabel(Image& img, const Fonts& fonts, const std::string& text, bool highlighted, float centreX) {
  const BakedFont& f = fonts.baked;
  const float capHeight = fonts.regular.CapHeight(kBakedPixelHeight);
  const float x = std::round(centreX - f.Width(text) / 2);
  const float baseline = std::round(img.Height() / 2.0f - capHeight / 2);
  if (highlighted) {
    Image mask(img.Width(), img.Height());
    f.Draw(mask, x, baseline, text, {1, 1, 1, 1});
    AddGlow(img, mask, style::kGlow, 2, 0.8f);
  }
  f.Draw(img, x + 1, baseline - 1, text, WithAlpha(style::kInk, 0.7f));  // drop shadow
  f.Draw(img, x, baseline, text, highlighted ? style::kLabelHot : style::kLabel);
}

void DrawFaceButtonLabel(Image& img, const FontFace& face, const std::string& text, float px, bool highlighted,
                         float centreX, float tracking) {
  const float centreY = img.Height() / 2.0f;
  if (highlighted) {
    Image mask(img.Width(), img.Height());
    DrawFaceLabel(mask, face, text, px, {1, 1, 1, 1}, centreX, centreY, tracking);
    AddGlow(img, mask, style::kGlow, 2, 0.7f);
  }
  DrawFaceLabel(img, face, text, px, WithAlpha(style::kInk, 0.7f), centreX + 1, centreY - 1, tracking);
  DrawFaceLabel(img, face, text, px, highlighted ? style::kLabelHot : style::kLabel, centreX, centreY, tracking);
}

std::vector<Pt> Arrowhead(float cx, float cy, float dx, float dy, float size) {
  const float px = -dy, py = dx;
  return {{cx + dx * size, cy + dy * size},
          {cx - dx * size * 0.6f + px * size * 0.85f, cy - dy * size * 0.6f + py * size * 0.85f},
          {cx - dx * size * 0.6f - px * size * 0.85f, cy - dy * size * 0.6f - py * size * 0.85f}};
}

void DrawFaceLabel(Image& img, const FontFace& face, const std::string& text, float pixelHeight, Color color,
                   float centreX, float centreY, float tracking) {
  const float x = centreX - face.Width(text, pixelHeight, tracking) / 2;
  const float baseline = std::round(centreY - face.CapHeight(pixelHeight) / 2);
  face.Draw(img, x, baseline, text, pixelHeight, color, tracking);
}

}  // namespace assetgen
