// Fuzzes the TGA decoder with raw file bytes: a refusal gives a reason and no picture; a picture
// has the promised size, keeps the colour laws of its kind and survives our writer. One thread.
#include <cstdint>
#include <string>

#include "app/framework/image.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/assetgen/tga_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SImage image;
    std::string error;
    if (!DecodeTga(data, size, image, error)) {
        KD_FUZZ_REQUIRE(!error.empty() && image.nWidth == 0 && image.nHeight == 0 && image.pixels.empty(),
                        "refused as '%s', leaving a %d x %d picture", error.c_str(), image.nWidth, image.nHeight);
        return 0;
    }
    const int w = image.nWidth, h = image.nHeight;
    KD_FUZZ_REQUIRE(w >= 1 && h >= 1 && w <= kMaxImageSide && h <= kMaxImageSide &&
                        image.pixels.size() == size_t(w) * size_t(h) * 4,
                    "%d x %d picture holds %zu bytes", w, h, image.pixels.size());
    // An accepted file is at least a header long: its kind (byte 2: 3 or 11 grey) and depth
    // (byte 16: 32 with alpha) are read back from it.
    const bool grey = data[2] == 3 || data[2] == 11, hasAlpha = data[16] == 32;
    for (size_t i = 0; i < image.pixels.size(); i += 4) {
        const uint8_t* p = &image.pixels[i];
        KD_FUZZ_REQUIRE((hasAlpha || p[3] == 255) && (!grey || (p[0] == p[1] && p[1] == p[2])),
                        "pixel %zu is (%d, %d, %d, %d)", i / 4, p[0], p[1], p[2], p[3]);
    }
    const assetgen::Bytes again = assetgen::WriteTga(w, h, image.pixels);
    SImage reread;
    KD_FUZZ_REQUIRE(DecodeTga(again.data(), again.size(), reread, error) && reread.nWidth == w && reread.nHeight == h &&
                        reread.pixels == image.pixels,
                    "our own TGA of %d x %d decodes to a different picture", w, h);
    return 0;
}
