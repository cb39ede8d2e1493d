// TGA decoding: every supported kind in both row orders gives the same bottom-up RGBA picture;
// truncated, oversized and malformed files are refused without large allocations; every picture
// of the generated pack decodes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/framework/image.h"
#include "app/framework/model_registry.h"
#include "app/framework/pack_image.h"
#include "app/framework/resource.h"
#include "tests/alloc_tracker.h"
#include "core/asset_names.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kTopFirst = 0x20, kRightToLeft = 0x10;

struct Kind {
    const char* label;
    uint8_t type;
    uint8_t bpp;
};
const Kind kKinds[] = {
    {"raw BGR 24", 2, 24}, {"raw BGRA 32", 2, 32}, {"RLE BGR 24", 10, 24},
    {"RLE BGRA 32", 10, 32}, {"raw grey 8", 3, 8},  {"RLE grey 8", 11, 8},
};

bool IsRle(uint8_t type) { return type == 10 || type == 11; }

// The pixel (x, y) of the reference picture, y counted from the bottom, as RGBA.
void Reference(int x, int y, uint8_t* rgba) {
    // Runs of equal pixels across the row boundary exercise RLE packets that span rows.
    const bool run = (y == 0 && x >= 3) || (y == 1 && x <= 1);
    rgba[0] = static_cast<uint8_t>(run ? 200 : 20 + 40 * x);
    rgba[1] = static_cast<uint8_t>(run ? 100 : 30 + 70 * y);
    rgba[2] = static_cast<uint8_t>(run ? 50 : 7 * x + 11 * y);
    rgba[3] = static_cast<uint8_t>(run ? 128 : 255 - 30 * x - 5 * y);
}
constexpr int kW = 5, kH = 3;

// What the decoder must produce for a kind: grey files keep one channel, 24-bit files are opaque.
Bytes Expected(const Kind& k) {
    Bytes out;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t p[4];
            Reference(x, y, p);
            if (k.bpp == 8) p[1] = p[2] = p[0];
            if (k.bpp != 32) p[3] = 255;
            out.insert(out.end(), p, p + 4);
        }
    return out;
}

Bytes StoredPixel(const Kind& k, const uint8_t* rgba) {
    if (k.bpp == 8) return {rgba[0]};
    Bytes b = {rgba[2], rgba[1], rgba[0]};
    if (k.bpp == 32) b.push_back(rgba[3]);
    return b;
}

Bytes Header(uint8_t type, uint8_t bpp, int w, int h, uint8_t descriptor, uint8_t idLength = 0) {
    return {idLength, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0,
            static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(h), static_cast<uint8_t>(h >> 8),
            bpp, descriptor};
}

// Encodes the reference picture; RLE packs equal neighbours (in file order) into repeat packets.
Bytes Encode(const Kind& k, uint8_t descriptor, const std::string& id = "") {
    Bytes out = Header(k.type, k.bpp, kW, kH, descriptor, static_cast<uint8_t>(id.size()));
    out.insert(out.end(), id.begin(), id.end());
    std::vector<Bytes> pixels;
    for (int row = 0; row < kH; ++row) {
        const int y = (descriptor & kTopFirst) ? kH - 1 - row : row;
        for (int col = 0; col < kW; ++col) {
            const int x = (descriptor & kRightToLeft) ? kW - 1 - col : col;
            uint8_t p[4];
            Reference(x, y, p);
            pixels.push_back(StoredPixel(k, p));
        }
    }
    if (!IsRle(k.type)) {
        for (const auto& p : pixels) out.insert(out.end(), p.begin(), p.end());
        return out;
    }
    auto runAt = [&](size_t i) {
        size_t run = 1;
        while (i + run < pixels.size() && pixels[i + run] == pixels[i] && run < 128) ++run;
        return run;
    };
    for (size_t i = 0; i < pixels.size();) {
        const size_t run = runAt(i);
        if (run > 1) {
            out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), pixels[i].begin(), pixels[i].end());
            i += run;
            continue;
        }
        size_t literal = 1;  // up to the next run
        while (i + literal < pixels.size() && runAt(i + literal) == 1 && literal < 128) ++literal;
        out.push_back(static_cast<uint8_t>(literal - 1));
        for (size_t k = 0; k < literal; ++k) out.insert(out.end(), pixels[i + k].begin(), pixels[i + k].end());
        i += literal;
    }
    return out;
}

TEST(DecodeTga, EveryKindAndOriginGivesTheSameBottomUpPicture) {
    const uint8_t descriptors[] = {0x00, kTopFirst, kRightToLeft, kTopFirst | kRightToLeft};
    for (const Kind& k : kKinds) {
        for (uint8_t d : descriptors) {
            const Bytes file = Encode(k, static_cast<uint8_t>(d | (k.bpp == 32 ? 8 : 0)), "an id field");
            SImage img;
            std::string error;
            ASSERT_TRUE(DecodeTga(file.data(), file.size(), img, error)) << k.label << " descriptor " << int(d) << ": " << error;
            EXPECT_EQ(img.nWidth, kW) << k.label;
            EXPECT_EQ(img.nHeight, kH) << k.label;
            EXPECT_EQ(img.pixels, Expected(k)) << k.label << " descriptor 0x" << std::hex << int(d);
        }
    }
}

TEST(DecodeTga, RleFileIsSmallerThanRawForRuns) {
    // Guards the encoder above: the RLE cases really pack the run that crosses a row.
    EXPECT_LT(Encode(kKinds[3], 8).size(), Encode(kKinds[1], 8).size());
}

TEST(DecodeTga, EveryTruncationIsRefused) {
    for (const Kind& k : kKinds) {
        const Bytes file = Encode(k, 0);
        for (size_t cut = 0; cut < file.size(); ++cut) {
            SImage img;
            std::string error;
            EXPECT_FALSE(DecodeTga(file.data(), cut, img, error)) << k.label << " cut to " << cut << " of " << file.size();
            EXPECT_FALSE(error.empty());
            EXPECT_TRUE(img.pixels.empty()) << k.label << " cut to " << cut;
        }
    }
}

struct BadCase {
    const char* label;
    Bytes file;
};

TEST(DecodeTga, MalformedHeadersAndPacketsAreRefusedWithoutLargeAllocations) {
    auto withData = [](Bytes h, size_t n, uint8_t fill = 0) {
        h.insert(h.end(), n, fill);
        return h;
    };
    auto cat = [](Bytes h, const Bytes& tail) {
        h.insert(h.end(), tail.begin(), tail.end());
        return h;
    };
    const std::vector<BadCase> cases = {
        {"colour-mapped type 1", withData(Header(1, 8, 2, 2, 0), 64)},
        {"unknown type 33", withData(Header(33, 32, 2, 2, 0), 64)},
        {"16-bit true colour", withData(Header(2, 16, 2, 2, 0), 64)},
        {"24-bit grey", withData(Header(3, 24, 2, 2, 0), 64)},
        {"zero width", withData(Header(2, 32, 0, 2, 0), 64)},
        {"zero height", withData(Header(10, 32, 2, 0, 0), 64)},
        {"65535 x 65535 raw (16 GiB claimed)", withData(Header(2, 32, 65535, 65535, 0), 64)},
        {"8192 x 8192 raw, 64 bytes of data", withData(Header(2, 32, 8192, 8192, 0), 64)},
        {"8192 x 8192 RLE, 64 bytes of data", withData(Header(10, 32, 8192, 8192, 0), 64, 0xFF)},
        {"side one past the limit", withData(Header(3, 8, kMaxImageSide + 1, 1, 0), kMaxImageSide + 1)},
        {"repeat packet of 128 for 4 pixels", cat(Header(10, 24, 2, 2, 0), {0xFF, 1, 2, 3})},
        {"raw packet of 5 for 4 pixels", cat(Header(11, 8, 2, 2, 0), {0x04, 9, 9, 9, 9, 9})},
        {"raw packet cut by the end", cat(Header(11, 8, 2, 2, 0), {0x03, 9, 9})},
        {"id field past the end", withData(Header(2, 24, 1, 1, 0, 200), 3)},
    };
    for (const auto& c : cases) {
        const Bytes& file = c.file;
        SImage img;
        std::string error;
        alloc_tracker::Reset();
        EXPECT_FALSE(DecodeTga(file.data(), file.size(), img, error)) << c.label;
        EXPECT_LT(alloc_tracker::Largest(), size_t(1) << 20) << c.label << ": largest allocation";
        EXPECT_FALSE(error.empty()) << c.label;
        std::printf("%-40s -> %s\n", c.label, error.c_str());
    }
}

TEST(DecodeTga, LargestAllowedSideDecodes) {
    Bytes file = Header(3, 8, kMaxImageSide, 1, 0);
    file.insert(file.end(), kMaxImageSide, 77);
    SImage img;
    std::string error;
    ASSERT_TRUE(DecodeTga(file.data(), file.size(), img, error)) << error;
    EXPECT_EQ(img.nWidth, kMaxImageSide);
    EXPECT_EQ(img.pixels[4 * (kMaxImageSide - 1)], 77);
}

// The built game pack, opened or the test fails.
void OpenGamePack(CResource& pack) {
    pack.SetDatFile(KD_RES_PACK_PATH);
    ASSERT_TRUE(pack.Open()) << pack.LastError();
}

TEST(DecodeTga, EveryPictureOfThePackDecodes) {
    CResource pack;
    ASSERT_NO_FATAL_FAILURE(OpenGamePack(pack));
    int decoded = 0;
    for (const std::string& path : assets::GameFiles()) {
        if (path.size() < 4 || path.substr(path.size() - 4) != ".tga") continue;
        const size_t slash = path.rfind('/');
        Bytes bytes;
        ASSERT_TRUE(pack.ReadFile(path.substr(0, slash), path.substr(slash + 1), bytes)) << path;
        SImage img;
        std::string error;
        EXPECT_TRUE(DecodeTga(bytes.data(), bytes.size(), img, error)) << path << ": " << error;
        EXPECT_EQ(img.pixels.size(), size_t(img.nWidth) * img.nHeight * 4) << path;
        ++decoded;
    }
    // Model textures are named inside the models rather than in the game's name table.
    for (const char* model : assets::kModels) {
        Bytes bytes;
        ASSERT_TRUE(pack.ReadFile(assets::kModelFolder, model, bytes)) << model;
        SModelData data;
        std::string error;
        ASSERT_TRUE(Parse3ds(bytes.data(), bytes.size(), data, error)) << model << ": " << error;
        for (const SMaterial& m : data.materials) {
            if (m.textureFile.empty()) continue;
            ASSERT_TRUE(pack.ReadFile(assets::kModelFolder, m.textureFile, bytes)) << model << " " << m.textureFile;
            SImage img;
            EXPECT_TRUE(DecodeTga(bytes.data(), bytes.size(), img, error)) << m.textureFile << ": " << error;
            EXPECT_GE(img.nWidth, 16) << m.textureFile;
            ++decoded;
        }
    }
    EXPECT_GT(decoded, 100);

    // The background is opaque, and the font atlas is white with coverage in alpha.
    Bytes bytes;
    SImage img;
    std::string error;
    ASSERT_TRUE(pack.ReadFile("textures\\common", "BACKGR.tga", bytes));
    ASSERT_TRUE(DecodeTga(bytes.data(), bytes.size(), img, error)) << error;
    EXPECT_EQ(img.nWidth, 800);
    EXPECT_EQ(img.nHeight, 600);
    size_t translucent = 0;
    for (size_t i = 3; i < img.pixels.size(); i += 4) translucent += img.pixels[i] != 255;
    EXPECT_EQ(translucent, 0u);

    ASSERT_TRUE(pack.ReadFile("textures", "font.tga", bytes));
    ASSERT_TRUE(DecodeTga(bytes.data(), bytes.size(), img, error)) << error;
    EXPECT_EQ(img.nWidth, 256);
    EXPECT_EQ(img.nHeight, 256);
    size_t covered = 0, notWhite = 0;
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        if (img.pixels[i + 3] == 0) continue;
        ++covered;
        notWhite += img.pixels[i] != 255 || img.pixels[i + 1] != 255 || img.pixels[i + 2] != 255;
    }
    EXPECT_GT(covered, 1000u);
    EXPECT_EQ(notWhite, 0u);
}

}  // namespace

// ---- Pictures that let their pixels go ----

TEST(PackImage, LetsItsPixelsGoAndDecodesTheSamePictureAgain) {
    CResource pack;
    ASSERT_NO_FATAL_FAILURE(OpenGamePack(pack));
    CPackImage picture;
    std::string error;
    ASSERT_TRUE(picture.Load(pack, "textures\\common", "BACKGR.tga", error)) << error;
    ASSERT_TRUE(picture.HoldsPixels());
    const SImage first = *picture.Pixels();
    picture.LetGo();
    EXPECT_FALSE(picture.HoldsPixels());
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(picture.Width(), first.nWidth) << "the size is known without the pixels";
    EXPECT_EQ(picture.Height(), first.nHeight);
    const SImage* pAgain = picture.Pixels();
    ASSERT_NE(pAgain, nullptr);
    EXPECT_EQ(pAgain->nWidth, first.nWidth);
    EXPECT_TRUE(pAgain->pixels == first.pixels) << "decoded again, the picture is the same";
    EXPECT_EQ(picture.Path(), "textures/common/BACKGR.tga");
}

TEST(PackImage, PixelsMadeInMemoryStayAndWhatCannotBeDecodedLoadsNothing) {
    SImage dot;
    dot.nWidth = dot.nHeight = 1;
    dot.pixels = {1, 2, 3, 4};
    const CPackImage made(dot);
    made.LetGo();
    ASSERT_TRUE(made.HoldsPixels()) << "no pack to decode them from again";
    EXPECT_TRUE(made.Pixels()->pixels == dot.pixels);

    CResource pack;
    ASSERT_NO_FATAL_FAILURE(OpenGamePack(pack));
    CPackImage picture;
    std::string error;
    ASSERT_TRUE(picture.Load(pack, "textures", "sight.tga", error)) << error;
    struct SCase {
        const char *szFolder, *szFile, *szWhy;
    } const cases[] = {
        {"textures", "no_such.tga", "cannot be read"},
        {"sound", "click.wav", ""},  // a file of the pack that is no picture
    };
    for (const SCase& c : cases) {
        error.clear();
        EXPECT_FALSE(picture.Load(pack, c.szFolder, c.szFile, error)) << c.szFile;
        EXPECT_FALSE(error.empty()) << c.szFile;
        EXPECT_NE(error.find(c.szWhy), std::string::npos) << c.szFile << ": " << error;
        EXPECT_FALSE(picture.IsLoaded()) << c.szFile << ": the earlier picture is gone too";
        EXPECT_EQ(picture.Pixels(), nullptr) << c.szFile;
        EXPECT_EQ(picture.Width(), 0) << c.szFile;
    }
}
