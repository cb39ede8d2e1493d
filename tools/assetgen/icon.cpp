// Icon painter: every shape is placed in unit coordinates (0..1, y up) and drawn supersampled,
// so each size is the same picture; board squares, disc grooves and flick streaks need room
// and only appear from kDetailSize up.
#include "tools/assetgen/icon.h"

#include <cmath>
#include <stdexcept>

namespace assetgen {
namespace {

constexpr int kSupersample = 4;
constexpr int kDetailSize = 48;
constexpr int kBoardSquares = 5;

struct Disc {
  float cx, cy, r;
  Color rim, faceLit, faceShade, groove;
};

// The light comes from the upper left, as on the game's menu pictures.
constexpr float kLightX = -0.45f, kLightY = 0.55f;

class Painter {
 public:
  explicit Painter(int size) : scale_(static_cast<float>(size * kSupersample)), detail_(size >= kDetailSize),
                                img_(size * kSupersample, size * kSupersample) {}

  void Tile() {
    const float half = 0.47f, radius = 0.17f;
    img_.Fill([&](float x, float y) { return Px(SdRoundRect(U(x), U(y), 0.5f, 0.5f, half, half, radius)); },
              [&](float, float y) { return Mix(Rgb(96, 40, 22), Rgb(140, 64, 36), U(y)); });
    const float fieldHalf = 0.37f, fieldRadius = 0.07f;
    const Color light = Rgb(226, 190, 128), dark = Rgb(172, 116, 66);
    img_.Fill([&](float x, float y) { return Px(SdRoundRect(U(x), U(y), 0.5f, 0.5f, fieldHalf, fieldHalf, fieldRadius)); },
              [&](float x, float y) {
                if (!detail_) return Mix(light, dark, 0.45f);
                const float cell = 2 * fieldHalf / kBoardSquares;
                const int i = static_cast<int>(std::floor((U(x) - 0.5f + fieldHalf) / cell));
                const int j = static_cast<int>(std::floor((U(y) - 0.5f + fieldHalf) / cell));
                return ((i + j) & 1) ? light : dark;
              });
    const float border = detail_ ? 0.012f : 0.02f;
    img_.FillColor([&](float x, float y) {
      return Px(std::fabs(SdRoundRect(U(x), U(y), 0.5f, 0.5f, fieldHalf, fieldHalf, fieldRadius)) - border);
    }, Rgb(232, 196, 112));
  }

  void Shadow(const Disc& d) {
    const float soft = 0.05f;
    img_.Fill([&](float x, float y) { return SdCircle(U(x), U(y), d.cx + 0.025f, d.cy - 0.035f, d.r) / soft - 0.5f; },
              [](float, float) { return Rgb(20, 8, 4, 0.55f); });
  }

  void Streaks(const Disc& d) {
    if (!detail_) return;
    // Behind the flicked draught, along the line it travels (towards the upper right).
    const float dx = -0.7071f, dy = -0.7071f;
    for (const float side : {-0.55f, 0.0f, 0.55f}) {
      const float sx = d.cx + dx * d.r * (1.05f - 0.15f * std::fabs(side)) - dy * d.r * side;
      const float sy = d.cy + dy * d.r * (1.05f - 0.15f * std::fabs(side)) + dx * d.r * side;
      const float len = side == 0.0f ? 0.13f : 0.08f;
      img_.FillColor([&](float x, float y) { return Px(SdSegment(U(x), U(y), sx, sy, sx + dx * len, sy + dy * len, 0.011f)); },
                     Rgb(255, 248, 226, 0.8f));
    }
  }

  void Draught(const Disc& d) {
    img_.Fill([&](float x, float y) { return Px(SdCircle(U(x), U(y), d.cx, d.cy, d.r)); },
              [&](float x, float y) {
                // The bevel: the rim is lit where it faces the light.
                const float nx = (U(x) - d.cx) / d.r, ny = (U(y) - d.cy) / d.r;
                const float facing = Clamp01(0.5f + 0.5f * (nx * kLightX + ny * kLightY) / 0.71f);
                return Mix(d.rim, d.faceLit, 0.55f * facing);
              });
    const float face = d.r * 0.82f;
    const float hx = d.cx + kLightX * face * 0.5f, hy = d.cy + kLightY * face * 0.5f;
    img_.Fill([&](float x, float y) { return Px(SdCircle(U(x), U(y), d.cx, d.cy, face)); },
              [&](float x, float y) {
                const float t = Clamp01(std::hypot(U(x) - hx, U(y) - hy) / (1.6f * face));
                return Mix(d.faceLit, d.faceShade, t);
              });
    if (!detail_) return;
    const float groove = d.r * 0.55f, width = d.r * 0.035f;
    img_.FillColor([&](float x, float y) { return Px(std::fabs(SdCircle(U(x), U(y), d.cx, d.cy, groove)) - width); },
                   d.groove);
  }

  Image Result() const { return img_.Downsampled(kSupersample); }

 private:
  float U(float px) const { return px / scale_; }   // pixels to unit coordinates
  float Px(float unit) const { return unit * scale_; }  // unit distances to pixels

  float scale_;
  bool detail_;
  Image img_;
};

}  // namespace

Image PaintIcon(int size) {
  if (size <= 0) throw std::invalid_argument("icon size must be positive");
  const Disc black{0.63f, 0.64f, 0.21f, Rgb(12, 10, 9), Rgb(60, 50, 46), Rgb(10, 8, 8), Rgb(4, 3, 3, 0.9f)};
  const Disc white{0.39f, 0.39f, 0.24f, Rgb(176, 160, 130), Rgb(255, 252, 240), Rgb(226, 212, 184),
                   Rgb(186, 168, 134, 0.9f)};
  Painter p(size);
  p.Tile();
  p.Shadow(black);
  p.Draught(black);
  p.Shadow(white);
  p.Streaks(white);
  p.Draught(white);
  return p.Result();
}

}  // namespace assetgen
