// TGA decoding into bottom-up RGBA: true colour (24/32 bits) and 8-bit grey, raw or RLE, either
// vertical origin. Every size is checked against the data before anything is allocated. Any thread.
#include "app/framework/image.h"

#include <cstring>

namespace {

constexpr size_t kTgaHeaderBytes = 18;
constexpr uint8_t kTypeTrueColor = 2, kTypeGrey = 3, kTypeRleTrueColor = 10, kTypeRleGrey = 11;
constexpr uint8_t kDescriptorRightToLeft = 0x10;
constexpr uint8_t kDescriptorTopToBottom = 0x20;
constexpr uint8_t kRlePacketRepeat = 0x80;
constexpr uint8_t kRleCountMask = 0x7F;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// One stored pixel (BGR, BGRA or grey) to RGBA.
void ToRgba(const uint8_t* src, int nBytes, uint8_t* dst) {
    if (nBytes == 1) {
        dst[0] = dst[1] = dst[2] = src[0];
        dst[3] = 255;
        return;
    }
    dst[0] = src[2];
    dst[1] = src[1];
    dst[2] = src[0];
    dst[3] = nBytes == 4 ? src[3] : 255;
}

}  // namespace

bool DecodeTga(const uint8_t* data, size_t size, SImage& out, std::string& error) {
    out = SImage{};
    if (!data || size < kTgaHeaderBytes) {
        error = "too short for a TGA header (" + std::to_string(size) + " bytes)";
        return false;
    }
    const uint8_t idLength = data[0];
    const uint8_t colorMapType = data[1];
    const uint8_t type = data[2];
    const uint16_t colorMapLength = U16(data + 5);
    const uint8_t colorMapBits = data[7];
    const int width = U16(data + 12);
    const int height = U16(data + 14);
    const uint8_t bpp = data[16];
    const uint8_t descriptor = data[17];

    const bool rle = type == kTypeRleTrueColor || type == kTypeRleGrey;
    const bool grey = type == kTypeGrey || type == kTypeRleGrey;
    if (type != kTypeTrueColor && type != kTypeGrey && !rle) {
        error = "TGA type " + std::to_string(type) + " is not supported (only true colour or grey)";
        return false;
    }
    if (colorMapType > 1) {
        error = "TGA colour map type " + std::to_string(colorMapType) + " is unknown";
        return false;
    }
    if (grey ? bpp != 8 : (bpp != 24 && bpp != 32)) {
        error = "TGA of type " + std::to_string(type) + " with " + std::to_string(bpp) + " bits per pixel is not supported";
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide) {
        error = "TGA size " + std::to_string(width) + " x " + std::to_string(height) + " is outside 1.." +
                std::to_string(kMaxImageSide);
        return false;
    }

    const int pixelBytes = bpp / 8;
    const uint64_t pixelCount = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    // A colour map in a true-colour file is unused but still occupies bytes before the pixels.
    const uint64_t colorMapBytes = colorMapType ? static_cast<uint64_t>(colorMapLength) * ((colorMapBits + 7u) / 8u) : 0;
    const uint64_t pixelStart = kTgaHeaderBytes + idLength + colorMapBytes;
    if (pixelStart > size) {
        error = "TGA is truncated inside its header fields";
        return false;
    }
    if (!rle && pixelStart + pixelCount * static_cast<uint64_t>(pixelBytes) > size) {
        error = "TGA is truncated: " + std::to_string(width) + " x " + std::to_string(height) + " x " +
                std::to_string(pixelBytes) + " pixel bytes need " +
                std::to_string(pixelStart + pixelCount * pixelBytes) + " bytes, the file has " + std::to_string(size);
        return false;
    }
    // RLE can expand at most 128 times (one pixel repeated by a two-byte packet), so a header
    // promising far more pixels than the data can hold is refused before allocating.
    if (rle && pixelCount > (static_cast<uint64_t>(size) - pixelStart) * 128u) {
        error = "TGA RLE data is too short for " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }

    // Decode in file order, then place rows.
    std::vector<uint8_t> stored(static_cast<size_t>(pixelCount) * 4);
    const uint8_t* src = data + pixelStart;
    const uint8_t* const end = data + size;
    if (!rle) {
        for (uint64_t i = 0; i < pixelCount; ++i, src += pixelBytes) ToRgba(src, pixelBytes, &stored[i * 4]);
    } else {
        uint64_t done = 0;
        while (done < pixelCount) {
            if (src >= end) {
                error = "TGA RLE data ends after " + std::to_string(done) + " of " + std::to_string(pixelCount) + " pixels";
                return false;
            }
            const uint8_t header = *src++;
            const uint64_t count = (header & kRleCountMask) + 1u;
            if (done + count > pixelCount) {
                error = "TGA RLE packet runs past the end of the picture";
                return false;
            }
            const bool repeat = (header & kRlePacketRepeat) != 0;
            const uint64_t needBytes = repeat ? pixelBytes : count * pixelBytes;
            if (static_cast<uint64_t>(end - src) < needBytes) {
                error = "TGA RLE packet is cut off by the end of the data";
                return false;
            }
            for (uint64_t k = 0; k < count; ++k) {
                ToRgba(src, pixelBytes, &stored[(done + k) * 4]);
                if (!repeat) src += pixelBytes;
            }
            if (repeat) src += pixelBytes;
            done += count;
        }
    }

    const bool topFirst = (descriptor & kDescriptorTopToBottom) != 0;
    const bool rightToLeft = (descriptor & kDescriptorRightToLeft) != 0;
    out.nWidth = width;
    out.nHeight = height;
    out.pixels.resize(stored.size());
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int row = 0; row < height; ++row) {
        const uint8_t* from = &stored[static_cast<size_t>(row) * rowBytes];
        uint8_t* to = &out.pixels[static_cast<size_t>(topFirst ? height - 1 - row : row) * rowBytes];
        if (!rightToLeft) {
            std::memcpy(to, from, rowBytes);
        } else {
            for (int x = 0; x < width; ++x) std::memcpy(to + static_cast<size_t>(x) * 4, from + static_cast<size_t>(width - 1 - x) * 4, 4);
        }
    }
    return true;
}
