// TGA encoding: header, then BGRA pixels bottom row first (the format's native order).
#include "tools/assetgen/tga_writer.h"

#include <stdexcept>

namespace assetgen {

Bytes WriteTga(int width, int height, const std::vector<uint8_t>& rgba) {
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF ||
      rgba.size() != static_cast<size_t>(width) * height * 4)
    throw std::invalid_argument("TGA: size and pixel data do not agree");
  Bytes out;
  out.reserve(kTgaHeaderSize + rgba.size());
  PutU8(out, 0);   // no image id
  PutU8(out, 0);   // no colour map
  PutU8(out, 2);   // uncompressed true colour
  for (int i = 0; i < 5; ++i) PutU8(out, 0);  // no colour map
  PutU16(out, 0);  // x origin
  PutU16(out, 0);  // y origin
  PutU16(out, static_cast<uint16_t>(width));
  PutU16(out, static_cast<uint16_t>(height));
  PutU8(out, 32);    // bits per pixel
  PutU8(out, 0x08);  // 8 alpha bits, origin bottom-left
  for (size_t i = 0; i < rgba.size(); i += 4) {
    PutU8(out, rgba[i + 2]);
    PutU8(out, rgba[i + 1]);
    PutU8(out, rgba[i + 0]);
    PutU8(out, rgba[i + 3]);
  }
  return out;
}

Bytes WriteTga(const Image& image) { return WriteTga(image.Width(), image.Height(), image.ToRgba8()); }

}  // namespace assetgen
