// TGA decoding: every supported kind and origin gives the bottom-up RGBA picture; damaged files,
// cut anywhere or with lying headers, are refused without large allocations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/framework/image.h"
#include "tests/support/alloc_tracker.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A header followed by `body`; the colour map entries, when any, are 24-bit.
Bytes Tga(uint8_t type, uint8_t bpp, int w, int h, uint8_t descriptor, const Bytes& body, uint8_t idLength = 0,
          uint8_t mapType = 0, uint8_t mapLength = 0) {
    Bytes b = {idLength, mapType, type, 0, 0, mapLength, 0, uint8_t(mapType ? 24 : 0), 0, 0, 0, 0, uint8_t(w),
               uint8_t(w >> 8), uint8_t(h), uint8_t(h >> 8), bpp, descriptor};
    for (uint8_t v : body) b.push_back(v);  // insert() trips a false array-bounds warning
    return b;
}
Bytes Grey(std::initializer_list<uint8_t> values) {
    Bytes rgba;
    for (uint8_t v : values) rgba.insert(rgba.end(), {v, v, v, 255});
    return rgba;
}

struct SGood {
    const char* label;
    Bytes file, rgba;
};

std::vector<SGood> GoodFiles() {
    return {
        {"raw BGR, bottom row first", Tga(2, 24, 2, 1, 0, {1, 2, 3, 4, 5, 6}), {3, 2, 1, 255, 6, 5, 4, 255}},
        {"raw BGRA", Tga(2, 32, 1, 1, 8, {1, 2, 3, 4}), {3, 2, 1, 4}},
        {"raw grey, top row first", Tga(3, 8, 1, 2, 0x20, {10, 20}), Grey({20, 10})},
        {"raw grey, right to left", Tga(3, 8, 2, 1, 0x10, {10, 20}), Grey({20, 10})},
        {"id field and unused colour map skipped", Tga(2, 24, 1, 1, 0, {'i', 'd', 9, 9, 9, 9, 9, 9, 1, 2, 3}, 2, 1, 2),
         {3, 2, 1, 255}},
        {"RLE grey: repeat then literal", Tga(11, 8, 3, 1, 0, {0x81, 9, 0x00, 7}), Grey({9, 9, 7})},
        {"RLE BGR: literal then repeat across rows", Tga(10, 24, 2, 2, 0, {0x01, 1, 2, 3, 4, 5, 6, 0x81, 7, 8, 9}),
         {3, 2, 1, 255, 6, 5, 4, 255, 9, 8, 7, 255, 9, 8, 7, 255}},
    };
}

TEST(DecodeTga, EveryKindAndOriginDecodesAndEveryCutOfItIsRefused) {
    for (const SGood& g : GoodFiles()) {
        SImage img;
        std::string error;
        ASSERT_TRUE(DecodeTga(g.file.data(), g.file.size(), img, error)) << g.label << ": " << error;
        EXPECT_EQ(img.pixels, g.rgba) << g.label;
        EXPECT_EQ(size_t(img.nWidth) * img.nHeight * 4, g.rgba.size()) << g.label;
        for (size_t cut = 0; cut < g.file.size(); ++cut) {
            const Bytes part(g.file.begin(), g.file.begin() + long(cut));  // its own block: a read past it is caught
            EXPECT_FALSE(DecodeTga(part.data(), part.size(), img, error)) << g.label << " cut to " << cut;
            EXPECT_TRUE(img.pixels.empty()) << g.label << " cut to " << cut;
        }
    }
}

TEST(DecodeTga, LyingHeadersAndPacketsAreRefusedWithoutLargeAllocations) {
    const Bytes data(64, 0xFF);
    const struct {
        const char* label;
        Bytes file;
    } cases[] = {
        {"colour-mapped type 1", Tga(1, 8, 2, 2, 0, data)},
        {"colour map type 2", Tga(2, 24, 1, 1, 0, data, 0, 2, 0)},
        {"16-bit true colour", Tga(2, 16, 2, 2, 0, data)},
        {"24-bit grey", Tga(3, 24, 2, 2, 0, data)},
        {"zero width", Tga(2, 32, 0, 2, 0, data)},
        {"zero height", Tga(10, 32, 2, 0, 0, data)},
        {"65535 x 65535 raw", Tga(2, 32, 65535, 65535, 0, data)},
        {"8192 x 8192 RLE on 64 bytes", Tga(10, 32, 8192, 8192, 0, data)},
        {"side one past the limit", Tga(3, 8, kMaxImageSide + 1, 1, 0, Bytes(kMaxImageSide + 1, 7))},
        {"repeat packet of 128 for 4 pixels", Tga(10, 24, 2, 2, 0, {0xFF, 1, 2, 3})},
        {"raw packet of 5 for 4 pixels", Tga(11, 8, 2, 2, 0, {0x04, 9, 9, 9, 9, 9})},
        {"id field past the end", Tga(2, 24, 1, 1, 0, {1, 2, 3}, 200)},
    };
    for (const auto& c : cases) {
        SImage img;
        std::string error;
        alloc_tracker::Reset();
        EXPECT_FALSE(DecodeTga(c.file.data(), c.file.size(), img, error)) << c.label;
        EXPECT_LT(alloc_tracker::Largest(), size_t(1) << 20) << c.label;
        EXPECT_FALSE(error.empty()) << c.label;
    }
    const Bytes widest = Tga(3, 8, kMaxImageSide, 1, 0, Bytes(kMaxImageSide, 7));
    SImage img;
    std::string error;
    EXPECT_TRUE(DecodeTga(widest.data(), widest.size(), img, error)) << error;
}

}  // namespace
