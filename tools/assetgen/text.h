// Text for the 2D assets: the baked game font (font.tga and its metrics) and free-size rendering of
// the same DejaVu Sans typeface for titles and small captions.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/assetgen/image.h"

namespace assetgen {

inline constexpr const char* kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
inline constexpr const char* kBoldFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
inline constexpr int kFirstChar = 32, kLastChar = 126;
inline constexpr int kAtlasSize = 256;
inline constexpr float kBakedPixelHeight = 24.0f;

// A TrueType face drawn at any pixel height. Throws std::runtime_error if the file is missing
// or not a font.
class FontFace {
 public:
  explicit FontFace(const std::string& path);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  float Width(const std::string& text, float pixelHeight, float tracking = 0) const;
  // Height of capital letters above the baseline.
  float CapHeight(float pixelHeight) const;
  // White coverage drawn into `dst` (alpha only), baseline at y (rows count upwards).
  void Draw(Image& dst, float x, float baseline, const std::string& text, float pixelHeight, Color color,
            float tracking = 0) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The game font: ASCII 32..126 baked at 24 px into a 256 x 256 atlas.
class BakedFont {
 public:
  struct Glyph {
    int x0, y0, x1, y1;  // atlas rectangle, rows counted from the top of the picture
    float xoff, yoff;    // pen to the rectangle's top-left, y downwards
    float xadvance;
  };
  explicit BakedFont(const std::string& path);

  const Glyph& At(char c) const { return glyphs_[static_cast<unsigned char>(c) - kFirstChar]; }
  float Ascent() const { return ascent_; }
  float Descent() const { return descent_; }
  float LineGap() const { return lineGap_; }
  float Width(const std::string& text) const;
  // font.tga: white pixels with the glyph coverage as alpha.
  Image AtlasImage() const;
  // font.txt (format in docs/ASSETS.md).
  std::string Metrics() const;
  // Draws the text from the atlas, as the game will, baseline at y (rows count upwards).
  void Draw(Image& dst, float x, float baseline, const std::string& text, Color color) const;

 private:
  std::vector<uint8_t> atlas_;  // kAtlasSize^2 coverage, top row first
  std::vector<Glyph> glyphs_;
  float ascent_ = 0, descent_ = 0, lineGap_ = 0;
};

}  // namespace assetgen
