// Decoded pictures: RGBA pixels, rows bottom-up as OpenGL wants them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SImage {
    int nWidth = 0, nHeight = 0;
    std::vector<uint8_t> pixels;  // RGBA, row 0 is the bottom row
};

// Largest picture accepted, so a header claiming gigabytes is refused before allocating.
inline constexpr int kMaxImageSide = 8192;

// Decodes an uncompressed or RLE TGA (true colour 24/32 bits, or 8-bit grey). False with a
// reason in error for anything truncated, oversized or of another kind.
bool DecodeTga(const uint8_t* data, size_t size, SImage& out, std::string& error);
