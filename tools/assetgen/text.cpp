// stb_truetype glue (the implementation comes from Debian's libstb).
#include "tools/assetgen/text.h"

#include <stb/stb_truetype.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace assetgen {
namespace {

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open font '" + path + "' (install fonts-dejavu-core)");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

struct FontFace::Impl {
  std::vector<unsigned char> data;
  stbtt_fontinfo info{};
};

FontFace::FontFace(const std::string& path) : impl_(std::make_unique<Impl>()) {
  impl_->data = ReadFile(path);
  const int offset = stbtt_GetFontOffsetForIndex(impl_->data.data(), 0);
  if (offset < 0 || !stbtt_InitFont(&impl_->info, impl_->data.data(), offset))
    throw std::runtime_error("'" + path + "' is not a TrueType font");
}

FontFace::~FontFace() = default;

float FontFace::Width(const std::string& text, float pixelHeight, float tracking) const {
  const float scale = stbtt_ScaleForPixelHeight(&impl_->info, pixelHeight);
  float w = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&impl_->info, text[i], &adv, &lsb);
    w += adv * scale + (i + 1 < text.size() ? tracking : 0);
    if (i + 1 < text.size()) w += stbtt_GetCodepointKernAdvance(&impl_->info, text[i], text[i + 1]) * scale;
  }
  return w;
}

float FontFace::CapHeight(float pixelHeight) const {
  int x0, y0, x1, y1;
  stbtt_GetCodepointBox(&impl_->info, 'H', &x0, &y0, &x1, &y1);
  return y1 * stbtt_ScaleForPixelHeight(&impl_->info, pixelHeight);
}

void FontFace::Draw(Image& dst, float x, float baseline, const std::string& text, float pixelHeight, Color color,
                    float tracking) const {
  const float scale = stbtt_ScaleForPixelHeight(&impl_->info, pixelHeight);
  float pen = x;
  for (size_t i = 0; i < text.size(); ++i) {
    const int cp = static_cast<unsigned char>(text[i]);
    const float shiftX = pen - std::floor(pen);
    int w, h, xoff, yoff;
    unsigned char* bmp =
        stbtt_GetCodepointBitmapSubpixel(&impl_->info, scale, scale, shiftX, 0, cp, &w, &h, &xoff, &yoff);
    const int left = static_cast<int>(std::floor(pen)) + xoff;
    const int top = static_cast<int>(std::lround(baseline)) - yoff - 1;  // yoff counts down from the baseline
    for (int gy = 0; gy < h; ++gy)
      for (int gx = 0; gx < w; ++gx) {
        const unsigned char cov = bmp[gy * w + gx];
        if (cov) dst.Blend(left + gx, top - gy, color, cov / 255.0f);
      }
    stbtt_FreeBitmap(bmp, nullptr);
    int adv, lsb;
    stbtt_GetCodepointHMetrics(&impl_->info, cp, &adv, &lsb);
    pen += adv * scale + tracking;
    if (i + 1 < text.size()) pen += stbtt_GetCodepointKernAdvance(&impl_->info, cp, text[i + 1]) * scale;
  }
}

BakedFont::BakedFont(const std::string& path) : atlas_(kAtlasSize * kAtlasSize) {
  std::vector<unsigned char> data = ReadFile(path);
  const int offset = stbtt_GetFontOffsetForIndex(data.data(), 0);
  stbtt_fontinfo info;
  if (offset < 0 || !stbtt_InitFont(&info, data.data(), offset))
    throw std::runtime_error("'" + path + "' is not a TrueType font");
  constexpr int kCount = kLastChar - kFirstChar + 1;
  stbtt_bakedchar baked[kCount];
  const int rows = stbtt_BakeFontBitmap(data.data(), offset, kBakedPixelHeight, atlas_.data(), kAtlasSize, kAtlasSize,
                                        kFirstChar, kCount, baked);
  if (rows <= 0) throw std::runtime_error("the font does not fit the atlas");
  for (const auto& b : baked) glyphs_.push_back({b.x0, b.y0, b.x1, b.y1, b.xoff, b.yoff, b.xadvance});
  int asc, desc, gap;
  stbtt_GetFontVMetrics(&info, &asc, &desc, &gap);
  const float scale = stbtt_ScaleForPixelHeight(&info, kBakedPixelHeight);
  ascent_ = asc * scale, descent_ = desc * scale, lineGap_ = gap * scale;
}

float BakedFont::Width(const std::string& text) const {
  float w = 0;
  for (char c : text) w += At(c).xadvance;
  return w;
}

Image BakedFont::AtlasImage() const {
  Image img(kAtlasSize, kAtlasSize);
  for (int y = 0; y < kAtlasSize; ++y)
    for (int x = 0; x < kAtlasSize; ++x)
      img.Set(x, kAtlasSize - 1 - y, {1, 1, 1, atlas_[static_cast<size_t>(y) * kAtlasSize + x] / 255.0f});
  return img;
}

std::string BakedFont::Metrics() const {
  std::ostringstream out;
  char line[160];
  out << "kdfont 1\n";
  std::snprintf(line, sizeof line, "atlas %d %d\nsize %.1f\nascent %.3f\ndescent %.3f\nlinegap %.3f\n", kAtlasSize,
                kAtlasSize, kBakedPixelHeight, ascent_, descent_, lineGap_);
  out << line;
  out << "chars " << glyphs_.size() << "\n";
  for (size_t i = 0; i < glyphs_.size(); ++i) {
    const Glyph& g = glyphs_[i];
    std::snprintf(line, sizeof line, "%d %d %d %d %d %.3f %.3f %.3f\n", static_cast<int>(i) + kFirstChar, g.x0, g.y0,
                  g.x1, g.y1, g.xoff, g.yoff, g.xadvance);
    out << line;
  }
  return out.str();
}

void BakedFont::Draw(Image& dst, float x, float baseline, const std::string& text, Color color) const {
  float pen = x;
  for (char ch : text) {
    if (ch < kFirstChar || ch > kLastChar) continue;
    const Glyph& g = At(ch);
    const int left = static_cast<int>(std::lround(pen + g.xoff));
    const int top = static_cast<int>(std::lround(baseline - g.yoff)) - 1;
    for (int gy = g.y0; gy < g.y1; ++gy)
      for (int gx = g.x0; gx < g.x1; ++gx) {
        const uint8_t cov = atlas_[static_cast<size_t>(gy) * kAtlasSize + gx];
        if (cov) dst.Blend(left + (gx - g.x0), top - (gy - g.y0), color, cov / 255.0f);
      }
    pen += g.xadvance;
  }
}

}  // namespace assetgen
