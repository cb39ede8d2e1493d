// Fuzzes the TGA decoder with raw file bytes: a refusal gives a reason and no picture; a picture
// has the promised size, keeps the colour laws of its kind and survives our writer. One thread.
#include <cstdint>
#include <string>

#include "app/framework/image.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/assetgen/tga_writer.h"

namespace {

constexpr size_t kTypeByte = 2, kBitsByte = 16;
constexpr uint8_t kTypeGrey = 3, kTypeRleGrey = 11;
constexpr uint8_t kOpaque = 255;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SImage image;
    std::string error;
    if (!DecodeTga(data, size, image, error)) {
        KD_FUZZ_REQUIRE(!error.empty(), "refused without a reason");
        KD_FUZZ_REQUIRE(image.nWidth == 0 && image.nHeight == 0 && image.pixels.empty(),
                        "refused but left a %d x %d picture", image.nWidth, image.nHeight);
        return 0;
    }
    const int w = image.nWidth, h = image.nHeight;
    KD_FUZZ_REQUIRE(w >= 1 && h >= 1 && w <= kMaxImageSide && h <= kMaxImageSide, "size %d x %d", w, h);
    KD_FUZZ_REQUIRE(image.pixels.size() == size_t(w) * size_t(h) * 4, "%d x %d picture holds %zu bytes", w, h,
                    image.pixels.size());

    // Accepted files are at least a header long, so the kind can be read back from it.
    const bool grey = data[kTypeByte] == kTypeGrey || data[kTypeByte] == kTypeRleGrey;
    const bool hasAlpha = data[kBitsByte] == 32;
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const uint8_t* p = &image.pixels[i];
        KD_FUZZ_REQUIRE(hasAlpha || p[3] == kOpaque, "pixel %zu of a file without alpha has alpha %d", i / 4, p[3]);
        KD_FUZZ_REQUIRE(!grey || (p[0] == p[1] && p[1] == p[2]), "grey pixel %zu is (%d, %d, %d)", i / 4, p[0], p[1],
                        p[2]);
    }

    const assetgen::Bytes again = assetgen::WriteTga(w, h, image.pixels);
    SImage reread;
    KD_FUZZ_REQUIRE(DecodeTga(again.data(), again.size(), reread, error), "our own TGA is refused: %s",
                    error.c_str());
    KD_FUZZ_REQUIRE(reread.nWidth == w && reread.nHeight == h && reread.pixels == image.pixels,
                    "our own TGA of %d x %d decodes to a different picture", w, h);
    return 0;
}
