// RGBA picture with anti-aliased shape filling and compositing, used to draw every 2D asset.
// Rows run bottom to top (row 0 is the bottom), like the game's screen and an uncompressed TGA.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace assetgen {

struct Color {
  float r = 0, g = 0, b = 0, a = 1;  // straight (not premultiplied) alpha, 0..1
};
inline Color Rgb(int r, int g, int b, float a = 1.0f) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }
inline Color Mix(Color x, Color y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t, x.a + (y.a - x.a) * t};
}
inline Color Scaled(Color c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
inline Color WithAlpha(Color c, float a) { return {c.r, c.g, c.b, a}; }
inline float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
inline float SmoothStep(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

class Image {
 public:
  Image() = default;
  Image(int w, int h, Color fill = {0, 0, 0, 0});

  int Width() const { return w_; }
  int Height() const { return h_; }
  // Straight-alpha colour of a pixel.
  Color Get(int x, int y) const;
  void Set(int x, int y, Color c);
  // Source-over blend of a straight colour with extra coverage.
  void Blend(int x, int y, Color c, float coverage = 1.0f);
  // Bilinear sample at texel coordinates (u, v in 0..1, v = 0 at the bottom), wrapping.
  Color Sample(float u, float v) const;

  // Fills where the signed distance sdf(x, y) (pixels, negative inside) is below 0, with a
  // one-pixel anti-aliased edge; paint(x, y) gives the colour at each covered pixel centre.
  template <class Sdf, class Paint>
  void Fill(Sdf sdf, Paint paint) {
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) {
        const float px = x + 0.5f, py = y + 0.5f;
        const float cov = Clamp01(0.5f - sdf(px, py));
        if (cov > 0) Blend(x, y, paint(px, py), cov);
      }
  }
  template <class Sdf>
  void FillColor(Sdf sdf, Color c) {
    Fill(sdf, [c](float, float) { return c; });
  }

  // Draws src over this picture with its bottom-left corner at (x, y), scaled in alpha by opacity.
  void Composite(const Image& src, int x, int y, float opacity = 1.0f);
  // Every pixel takes colour c and keeps alpha x c.a (turns a white mask into a coloured layer).
  Image Tinted(Color c) const;
  // Box blur repeated three times (close to a Gaussian of the given radius).
  Image Blurred(int radius) const;
  // Averages factor x factor blocks (used after supersampled drawing).
  Image Downsampled(int factor) const;
  // 8-bit straight RGBA, rows bottom to top.
  std::vector<uint8_t> ToRgba8() const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<float> px_;  // premultiplied RGBA
};

// Signed distances in pixels, negative inside.
float SdRoundRect(float x, float y, float cx, float cy, float halfW, float halfH, float radius);
float SdCircle(float x, float y, float cx, float cy, float radius);
float SdSegment(float x, float y, float ax, float ay, float bx, float by, float halfWidth);
struct Pt {
  float x, y;
};
float SdPolygon(float x, float y, const std::vector<Pt>& poly);

}  // namespace assetgen
