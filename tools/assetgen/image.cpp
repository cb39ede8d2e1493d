// Pixel storage, compositing and distance functions for the 2D asset drawing.
#include "tools/assetgen/image.h"

namespace assetgen {

Image::Image(int w, int h, Color fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h * 4) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) Set(x, y, fill);
}

Color Image::Get(int x, int y) const {
  const float* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
  if (p[3] <= 0) return {0, 0, 0, 0};
  return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void Image::Set(int x, int y, Color c) {
  float* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
  p[0] = c.r * c.a;
  p[1] = c.g * c.a;
  p[2] = c.b * c.a;
  p[3] = c.a;
}

void Image::Blend(int x, int y, Color c, float coverage) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  const float a = Clamp01(c.a * coverage);
  float* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
  p[0] = c.r * a + p[0] * (1 - a);
  p[1] = c.g * a + p[1] * (1 - a);
  p[2] = c.b * a + p[2] * (1 - a);
  p[3] = a + p[3] * (1 - a);
}

Color Image::Sample(float u, float v) const {
  const float fx = u * w_ - 0.5f, fy = v * h_ - 0.5f;
  const float x0f = std::floor(fx), y0f = std::floor(fy);
  const float tx = fx - x0f, ty = fy - y0f;
  auto wrap = [](int i, int n) { return ((i % n) + n) % n; };
  const int x0 = wrap(static_cast<int>(x0f), w_), x1 = wrap(static_cast<int>(x0f) + 1, w_);
  const int y0 = wrap(static_cast<int>(y0f), h_), y1 = wrap(static_cast<int>(y0f) + 1, h_);
  float out[4];
  for (int k = 0; k < 4; ++k) {
    auto at = [&](int x, int y) { return px_[(static_cast<size_t>(y) * w_ + x) * 4 + k]; };
    const float top = at(x0, y1) * (1 - tx) + at(x1, y1) * tx;
    const float bottom = at(x0, y0) * (1 - tx) + at(x1, y0) * tx;
    out[k] = bottom * (1 - ty) + top * ty;
  }
  if (out[3] <= 0) return {0, 0, 0, 0};
  return {out[0] / out[3], out[1] / out[3], out[2] / out[3], out[3]};
}

void Image::Composite(const Image& src, int x, int y, float opacity) {
  for (int sy = 0; sy < src.h_; ++sy)
    for (int sx = 0; sx < src.w_; ++sx) {
      const Color c = src.Get(sx, sy);
      if (c.a > 0) Blend(x + sx, y + sy, c, opacity);
    }
}

Image Image::Tinted(Color c) const {
  Image out(w_, h_);
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) out.Set(x, y, WithAlpha(c, Get(x, y).a * c.a));
  return out;
}

Image Image::Blurred(int radius) const {
  if (radius <= 0) return *this;
  Image cur = *this;
  std::vector<float> line;
  for (int pass = 0; pass < 3; ++pass) {
    for (int dir = 0; dir < 2; ++dir) {
      const int n = dir == 0 ? w_ : h_, lines = dir == 0 ? h_ : w_;
      line.resize(static_cast<size_t>(n) * 4);
      for (int l = 0; l < lines; ++l) {
        auto idx = [&](int i) {
          const int x = dir == 0 ? i : l, y = dir == 0 ? l : i;
          return (static_cast<size_t>(y) * w_ + x) * 4;
        };
        for (int i = 0; i < n; ++i) {
          float sum[4] = {0, 0, 0, 0};
          for (int j = i - radius; j <= i + radius; ++j) {
            if (j < 0 || j >= n) continue;
            for (int k = 0; k < 4; ++k) sum[k] += cur.px_[idx(j) + k];
          }
          for (int k = 0; k < 4; ++k) line[static_cast<size_t>(i) * 4 + k] = sum[k] / (2 * radius + 1);
        }
        for (int i = 0; i < n; ++i)
          for (int k = 0; k < 4; ++k) cur.px_[idx(i) + k] = line[static_cast<size_t>(i) * 4 + k];
      }
    }
  }
  return cur;
}

Image Image::Downsampled(int factor) const {
  Image out(w_ / factor, h_ / factor);
  const float n = static_cast<float>(factor * factor);
  for (int y = 0; y < out.h_; ++y)
    for (int x = 0; x < out.w_; ++x)
      for (int k = 0; k < 4; ++k) {
        float sum = 0;
        for (int dy = 0; dy < factor; ++dy)
          for (int dx = 0; dx < factor; ++dx)
            sum += px_[(static_cast<size_t>(y * factor + dy) * w_ + (x * factor + dx)) * 4 + k];
        out.px_[(static_cast<size_t>(y) * out.w_ + x) * 4 + k] = sum / n;
      }
  return out;
}

std::vector<uint8_t> Image::ToRgba8() const {
  std::vector<uint8_t> out(static_cast<size_t>(w_) * h_ * 4);
  auto q = [](float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); };
  for (int y = 0; y < h_; ++y)
    for (int x = 0; x < w_; ++x) {
      const Color c = Get(x, y);
      uint8_t* o = &out[(static_cast<size_t>(y) * w_ + x) * 4];
      o[0] = q(c.r);
      o[1] = q(c.g);
      o[2] = q(c.b);
      o[3] = q(c.a);
    }
  return out;
}

float SdRoundRect(float x, float y, float cx, float cy, float halfW, float halfH, float radius) {
  const float qx = std::fabs(x - cx) - halfW + radius, qy = std::fabs(y - cy) - halfH + radius;
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float SdCircle(float x, float y, float cx, float cy, float radius) {
  return std::hypot(x - cx, y - cy) - radius;
}

float SdSegment(float x, float y, float ax, float ay, float bx, float by, float halfWidth) {
  const float pax = x - ax, pay = y - ay, bax = bx - ax, bay = by - ay;
  const float len2 = bax * bax + bay * bay;
  const float h = len2 > 0 ? Clamp01((pax * bax + pay * bay) / len2) : 0.0f;
  return std::hypot(pax - bax * h, pay - bay * h) - halfWidth;
}

float SdPolygon(float x, float y, const std::vector<Pt>& poly) {
  float d = 1e30f;
  bool inside = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Pt a = poly[j], b = poly[i];
    d = std::min(d, SdSegment(x, y, a.x, a.y, b.x, b.y, 0.0f));
    if ((b.y > y) != (a.y > y) && x < (a.x - b.x) * (y - b.y) / (a.y - b.y) + b.x) inside = !inside;
  }
  return inside ? -d : d;
}

}  // namespace assetgen
