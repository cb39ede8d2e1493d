// PNG encoding: signature, IHDR, one IDAT of the filtered rows, IEND; chunk CRCs are the same
// CRC-32 the pack manifest uses.
#include "tools/assetgen/png_writer.h"

#include <zlib.h>

#include <cstdlib>
#include <stdexcept>

namespace assetgen {
namespace {

constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr int kBytesPerPixel = 4;
constexpr uint8_t kBitDepth = 8;
constexpr uint8_t kColourTypeRgba = 6;
constexpr uint8_t kFilterPaeth = 4;

void PutU32BigEndian(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(Bytes& out, const char type[4], const Bytes& data) {
  PutU32BigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32BigEndian(out, Crc32(out.data() + typeAt, out.size() - typeAt));
}

uint8_t Paeth(int left, int up, int upLeft) {
  const int p = left + up - upLeft;
  const int pa = std::abs(p - left), pb = std::abs(p - up), pc = std::abs(p - upLeft);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(left);
  return static_cast<uint8_t>(pb <= pc ? up : upLeft);
}

// Each stored row: the filter byte, then every byte less the Paeth prediction of it.
Bytes FilteredRows(int width, int height, const std::vector<uint8_t>& rgba) {
  const size_t stride = static_cast<size_t>(width) * kBytesPerPixel;
  Bytes out;
  out.reserve((stride + 1) * static_cast<size_t>(height));
  const uint8_t* prev = nullptr;
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const uint8_t* row = &rgba[static_cast<size_t>(height - 1 - fileRow) * stride];
    out.push_back(kFilterPaeth);
    for (size_t i = 0; i < stride; ++i) {
      const int left = i >= kBytesPerPixel ? row[i - kBytesPerPixel] : 0;
      const int up = prev ? prev[i] : 0;
      const int upLeft = prev && i >= kBytesPerPixel ? prev[i - kBytesPerPixel] : 0;
      out.push_back(static_cast<uint8_t>(row[i] - Paeth(left, up, upLeft)));
    }
    prev = row;
  }
  return out;
}

Bytes Deflated(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("PNG: zlib failed to compress the rows");
  out.resize(size);
  return out;
}

}  // namespace

Bytes WritePng(int width, int height, const std::vector<uint8_t>& rgba) {
  if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * kBytesPerPixel)
    throw std::invalid_argument("PNG: size and pixel data do not agree");
  Bytes out(std::begin(kSignature), std::end(kSignature));
  Bytes header;
  PutU32BigEndian(header, static_cast<uint32_t>(width));
  PutU32BigEndian(header, static_cast<uint32_t>(height));
  header.push_back(kBitDepth);
  header.push_back(kColourTypeRgba);
  header.push_back(0);  // deflate
  header.push_back(0);  // adaptive filtering
  header.push_back(0);  // not interlaced
  PutChunk(out, "IHDR", header);
  PutChunk(out, "IDAT", Deflated(FilteredRows(width, height, rgba)));
  PutChunk(out, "IEND", {});
  return out;
}

Bytes WritePng(const Image& image) { return WritePng(image.Width(), image.Height(), image.ToRgba8()); }

}  // namespace assetgen
