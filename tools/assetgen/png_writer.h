// PNG files for the desktop icons: 8-bit RGBA, every row Paeth-filtered, zlib at level 9, no
// time or text chunks, so the same picture always gives the same bytes.
#pragma once

#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/image.h"

namespace assetgen {

// rgba holds width x height pixels, 4 bytes each (R, G, B, A), rows bottom to top as
// Image::ToRgba8 gives them; the file stores them top to bottom as PNG requires.
Bytes WritePng(int width, int height, const std::vector<uint8_t>& rgba);
Bytes WritePng(const Image& image);

}  // namespace assetgen
