// Whole-screen and decorative images: the night-sky background, logo, titles, banners, glows,
// the mouse cursor and the aiming sight.
#include <cmath>
#include <stdexcept>

#include "tools/assetgen/noise.h"
#include "tools/assetgen/rng.h"
#include "tools/assetgen/scene_units.h"
#include "tools/assetgen/ui_images.h"

namespace assetgen {
namespace {

Image Background() {
  constexpr int kW = 800, kH = 600;
  Image img(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const float u = x / static_cast<float>(kW), v = y / static_cast<float>(kH);
      Color c = Mix(Rgb(4, 6, 18), Rgb(16, 24, 58), v);
      // A soft glow high in the middle and drifting nebula clouds.
      const float glow = std::exp(-((u - 0.55f) * (u - 0.55f) * 5 + (v - 0.72f) * (v - 0.72f) * 7));
      c = Mix(c, Rgb(46, 62, 128), glow * 0.55f);
      const float cloud = SmoothStep(0.5f, 0.85f, Fbm(u * 4, v * 3, 91, 6));
      c = Mix(c, Rgb(88, 52, 120), cloud * 0.28f);
      const float cloud2 = SmoothStep(0.55f, 0.9f, Fbm(u * 3 + 9, v * 5, 92, 6));
      c = Mix(c, Rgb(30, 90, 120), cloud2 * 0.22f);
      const float vignette = 1 - 0.45f * SmoothStep(0.35f, 0.8f, std::hypot(u - 0.5f, (v - 0.5f) * 0.8f));
      img.Set(x, y, Scaled(c, vignette));
    }
  Rng rng(77);
  for (int i = 0; i < 420; ++i) {
    const float x = static_cast<float>(rng.Range(0, kW)), y = static_cast<float>(rng.Range(0, kH));
    const float r = static_cast<float>(0.45 + std::pow(rng.Unit(), 4.0) * 1.3);
    const float bright = static_cast<float>(0.35 + 0.65 * rng.Unit());
    const Color tint = rng.Unit() < 0.3 ? Rgb(200, 215, 255) : rng.Unit() < 0.2 ? Rgb(255, 230, 190) : Rgb(255, 255, 255);
    for (int py = static_cast<int>(y) - 3; py <= static_cast<int>(y) + 3; ++py)
      for (int px = static_cast<int>(x) - 3; px <= static_cast<int>(x) + 3; ++px) {
        const float d = std::hypot(px + 0.5f - x, py + 0.5f - y);
        const float a = bright * (Clamp01(r + 0.5f - d) + 0.25f * std::exp(-d * d / (r * 2.5f)));
        if (a > 0.004f) img.Blend(px, py, tint, Clamp01(a));
      }
  }
  return img;
}

// Gold lettering with a dark outline and a warm glow, for the logo and the titles.
void GoldTitle(Image& img, const FontFace& face, const std::string& text, float px, float cx, float cy,
               float tracking, float glow) {
  Image mask(img.Width(), img.Height());
  DrawFaceLabel(mask, face, text, px, {1, 1, 1, 1}, cx, cy, tracking);
  if (glow > 0) AddGlow(img, mask, style::kGlow, static_cast<int>(px / 6), glow);
  // Outline: the mask grown by a blur, made opaque and dark.
  const Image grown = mask.Blurred(1);
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      const float a = Clamp01(grown.Get(x, y).a * 3.0f);
      if (a > 0) img.Blend(x, y, Rgb(36, 20, 6), a * 0.9f);
    }
  const float capH = face.CapHeight(px), base = std::round(cy - capH / 2);
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      const float a = mask.Get(x, y).a;
      if (a <= 0) continue;
      const float t = Clamp01((y - base) / capH);
      Color c = Mix(Rgb(196, 120, 36), Rgb(255, 236, 160), t);
      if (t > 0.48f && t < 0.56f) c = Mix(c, Rgb(255, 250, 225), 0.5f);
      img.Blend(x, y, c, a);
    }
}

Image Logo(const Fonts& f) {
  Image img(310, 120);
  // Two draughts, one white, one black, overlapping behind the name.
  auto disc = [&](float cx, float cy, Color fill, Color ring) {
    img.FillColor([&](float x, float y) { return SdCircle(x, y, cx, cy, 17); }, WithAlpha(fill, 0.95f));
    img.FillColor([&](float x, float y) { return std::fabs(SdCircle(x, y, cx, cy, 12)) - 0.8f; }, ring);
    img.FillColor([&](float x, float y) { return std::fabs(SdCircle(x, y, cx, cy, 17)) - 0.9f; }, style::kGold);
  };
  disc(24, 80, Rgb(230, 220, 196), Rgb(190, 160, 110));
  disc(42, 66, Rgb(44, 30, 24), Rgb(120, 84, 52));
  GoldTitle(img, f.bold, "KELVO DARA", 34, 182, 72, 1.5f, 0.6f);
  DrawFaceLabel(img, f.regular, "F L I C K   D R A U G H T S", 12, Rgb(200, 210, 240), 182, 40, 0.6f);
  img.FillColor([&](float x, float y) { return SdSegment(x, y, 92, 28, 272, 28, 0.6f); }, WithAlpha(style::kGold, 0.6f));
  return img;
}

Image Title(const Fonts& f, const std::string& text, int w, int h, float px, bool left) {
  Image img(w, h);
  const float textW = f.bold.Width(text, px, 1.5f);
  GoldTitle(img, f.bold, text, px, left ? textW / 2 + 6 : w / 2.0f, h / 2.0f, 1.5f, 0.4f);
  return img;
}

Image Splash(int w, int h, uint32_t seed) {
  Image img(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float u = (x + 0.5f) / w * 2 - 1, v = (y + 0.5f) / h * 2 - 1;
      const float d = std::hypot(u, v);
      const float n = Fbm(u * 2 + 3, v * 2 + 5, seed, 5);
      const float a = Clamp01((1 - SmoothStep(0.3f, 1.0f, d + (n - 0.5f) * 0.6f)) * 0.5f);
      img.Set(x, y, WithAlpha(Mix(Rgb(40, 60, 140), Rgb(120, 100, 170), n), a));
    }
  return img;
}

Image Setup(const Fonts& f) {
  Image img(660, 600);
  GoldTitle(img, f.bold, "GAME SETUP", 34, 330, 566, 3, 0.5f);
  for (int side = 0; side < 2; ++side) {
    const float x0 = side == 0 ? 60.0f : 430.0f, x1 = side == 0 ? 230.0f : 600.0f;
    img.Fill([&](float x, float y) { return SdSegment(x, y, x0, 566, x1, 566, 0.8f); },
             [&](float x, float) {
               const float t = side == 0 ? (x - x0) / (x1 - x0) : (x1 - x) / (x1 - x0);
               return WithAlpha(style::kGold, 0.8f * t);
             });
  }
  return img;
}

Image Ribbon(const Fonts& f) {
  Image img(560, 90);
  img.Fill([&](float x, float y) { return SdRoundRect(x, y, 280, 45, 278, 22, 22); },
           [&](float x, float) { return Rgb(30, 44, 100, 0.55f * SmoothStep(60, 300, x)); });
  GoldTitle(img, f.bold, "TWO PLAYERS", 24, 412, 52, 2, 0.3f);
  DrawFaceLabel(img, f.regular, "one board, one mouse, turn about", 13, Rgb(200, 210, 240), 412, 30);
  return img;
}

Image Banner(const Fonts& f) {
  Image img(288, 80);
  img.Fill([&](float x, float y) { return SdRoundRect(x, y, 144, 40, 140, 30, 14); },
           [&](float, float y) { return Mix(Rgb(20, 24, 56, 0.7f), Rgb(52, 60, 120, 0.7f), y / 80); });
  img.FillColor([&](float x, float y) { return std::fabs(SdRoundRect(x, y, 144, 40, 140, 30, 14) + 0.8f) - 0.7f; },
                style::kGold);
  GoldTitle(img, f.bold, "GAME OVER", 34, 144, 40, 3, 0.4f);
  return img;
}

Image Caption(const Fonts& f, const std::string& text, int w) {
  Image img(w, 24);
  DrawFaceLabel(img, f.bold, text, 13, style::kGoldBright, w / 2.0f, 12, 0.6f);
  return img;
}

Image Cursor() {
  Image img(32, 32);
  // Tip at (2, 28) from the bottom-left: the game draws the picture at (mouse x - 2, mouse y - 28).
  const std::vector<Pt> arrow = {{2.5f, 28.5f}, {2.5f, 9.5f}, {7.0f, 13.5f}, {10.5f, 6.0f},
                                 {13.8f, 7.5f}, {10.4f, 14.8f}, {16.5f, 14.8f}};
  Image shadow(32, 32);
  shadow.FillColor([&](float x, float y) { return SdPolygon(x - 1.5f, y + 1.5f, arrow); }, {0, 0, 0, 0.45f});
  img.Composite(shadow.Blurred(1), 0, 0);
  img.FillColor([&](float x, float y) { return SdPolygon(x, y, arrow) - 1.0f; }, Rgb(16, 14, 24));
  img.Fill([&](float x, float y) { return SdPolygon(x, y, arrow) + 0.4f; },
           [](float, float y) { return Mix(Rgb(255, 214, 120), Rgb(255, 255, 240), Clamp01((y - 8) / 20)); });
  return img;
}

Image Sight() {
  Image img(64, 64);
  const float c = 32;
  auto paint = [&](Image& dst, float grow, Color col) {
    // Ring broken into four arcs, four inner ticks and a centre dot.
    dst.FillColor([&](float x, float y) {
      const float ring = std::fabs(SdCircle(x, y, c, c, 20)) - 1.3f - grow;
      const float gap = std::min(std::fabs(x - c), std::fabs(y - c)) - 5.0f;
      return std::max(ring, -gap);
    }, col);
    for (int k = 0; k < 4; ++k) {
      const float dx = k == 0 ? 1.0f : k == 1 ? -1.0f : 0.0f, dy = k == 2 ? 1.0f : k == 3 ? -1.0f : 0.0f;
      dst.FillColor([&](float x, float y) { return SdSegment(x, y, c + dx * 9, c + dy * 9, c + dx * 26, c + dy * 26, 1.0f + grow); }, col);
    }
    dst.FillColor([&](float x, float y) { return SdCircle(x, y, c, c, 2.0f + grow); }, col);
  };
  paint(img, 1.2f, Rgb(0, 0, 0, 0.55f));
  paint(img, 0, Rgb(255, 224, 96, 0.95f));
  return img;
}

}  // namespace

Image ScreenPicture(const assets::PackFile& image, const Fonts& f) {
  if (image == assets::image::kBackground) return Background();
  if (image == assets::image::kMainForeground) return MainForegroundPicture();
  if (image == assets::image::kLogo) return Logo(f);
  if (image == assets::image::kSetupTitle) return Setup(f);
  if (image == assets::image::kGameOverBanner) return Banner(f);
  if (image == assets::image::kLargeGlow) return Splash(250, 240, 101);
  if (image == assets::image::kSmallGlow) return Splash(140, 116, 102);
  if (image == assets::image::kTwoPlayersRibbon) return Ribbon(f);
  if (image == assets::image::kQuickGameCaption) return Caption(f, "QUICK GAME", 98);
  if (image == assets::image::kCampaignCaption) return Caption(f, "CAMPAIGN", 92);
  if (image == assets::image::kHelpTitle) return Title(f, "HOW TO PLAY", 500, 30, 24, true);
  if (image == assets::image::kAboutTitle) return Title(f, "ABOUT KELVO DARA", 400, 30, 24, true);
  if (image == assets::image::kHelpDecoration) return HelpDecorationPicture();
  if (image == assets::image::kAboutDecoration) return AboutDecorationPicture();
  if (image == assets::image::kCursor) return Cursor();
  if (image == assets::image::kSight) return Sight();
  throw std::invalid_argument("no picture is drawn for '" + image.Path() + "'");
}

}  // namespace assetgen
