// Uncompressed 32-bit RGBA TGA files (type 2, bottom-left origin, 8 alpha bits).
#pragma once

#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/image.h"

namespace assetgen {

inline constexpr size_t kTgaHeaderSize = 18;

// rgba holds width x height pixels, 4 bytes each (R, G, B, A), rows bottom to top.
Bytes WriteTga(int width, int height, const std::vector<uint8_t>& rgba);
Bytes WriteTga(const Image& image);

}  // namespace assetgen
