// The asset generator: its writers read back through the game's readers; the built res.dat is
// exactly a fresh generation; highlighted pictures glow; sounds are audible, unclipped and
// click-free.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/framework/image.h"
#include "app/framework/wav_format.h"
#include "core/asset_names.h"
#include "tools/assetgen/asset_set.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/tga_writer.h"
#include "tools/assetgen/wav_writer.h"
#include "tools/assetgen/zip_writer.h"

namespace {

using assetgen::Bytes;

const assetgen::AssetSet& Fresh() {
    static const assetgen::AssetSet fresh = assetgen::GenerateAll();
    return fresh;
}
const Bytes& File(const std::string& name) {
    static const Bytes none;
    const auto it = Fresh().find(name);
    EXPECT_NE(it, Fresh().end()) << name;
    return it == Fresh().end() ? none : it->second;
}

TEST(Pack, IsExactlyAFreshGenerationSoEveryBuildShipsTheSameBytes) {
    std::ifstream in(KD_RES_PACK_PATH, std::ios::binary);
    const Bytes built((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const Bytes fresh = assetgen::WriteStoredZip(Fresh());
    const auto diff = std::mismatch(built.begin(), built.end(), fresh.begin(), fresh.end());
    EXPECT_TRUE(built == fresh) << "res.dat " << built.size() << " bytes, fresh " << fresh.size()
                                << " bytes, first difference at " << (diff.first - built.begin());
    EXPECT_EQ(assetgen::StoredZipSize(Fresh()), fresh.size());
}

TEST(Writers, PicturesAndSoundsReadBackThroughTheGamesReaders) {
    const std::vector<uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
    const Bytes tga = assetgen::WriteTga(2, 2, rgba);
    SImage img;
    std::string error;
    ASSERT_TRUE(DecodeTga(tga.data(), tga.size(), img, error)) << error;
    EXPECT_EQ(img.pixels, rgba);

    const Bytes wav = assetgen::WriteWav({0.0f, 1.0f, -1.0f, 2.0f, -0.5f}, 22050);
    SWavInfo info;
    ASSERT_TRUE(ParseWav(wav, info, error)) << error;
    EXPECT_EQ(info.nRate, 22050);
    const int16_t clipped[] = {0, 32767, -32767, 32767, -16384};
    ASSERT_EQ(info.nDataBytes, sizeof clipped);
    for (size_t i = 0; i < std::size(clipped); ++i)
        EXPECT_EQ(int16_t(assetgen::GetU16(&wav[info.nDataOffset + 2 * i])), clipped[i]) << "sample " << i;
    EXPECT_EQ(assetgen::Crc32(Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0xCBF43926u);
}

SImage Picture(const std::string& name) {
    const Bytes& b = File(name);
    SImage img;
    std::string error;
    EXPECT_TRUE(DecodeTga(b.data(), b.size(), img, error)) << name << ": " << error;
    return img;
}
// Mean alpha-weighted brightness, 0..255.
double Glow(const SImage& p) {
    double sum = 0;
    for (size_t i = 0; i + 3 < p.pixels.size(); i += 4) sum += (p.pixels[i] + p.pixels[i + 1] + p.pixels[i + 2]) / 3.0 * p.pixels[i + 3] / 255;
    return sum / std::max<size_t>(1, p.pixels.size() / 4);
}

TEST(Art, HighlightedPicturesMatchInSizeAndGlowBrighter) {
    std::vector<std::string> plain;
    for (const auto& b : assets::kButtons) plain.push_back(std::string(b.folder) + "/" + b.base + ".tga");
    for (const auto& s : assets::kSelectorItems)
        if (s.highlighted) plain.push_back(std::string(s.folder) + "/" + s.file);
    for (const std::string& name : plain) {
        const SImage a = Picture(name), b = Picture(assets::HighlightName(name));
        EXPECT_EQ(a.nWidth, b.nWidth) << name;
        EXPECT_EQ(a.nHeight, b.nHeight) << name;
        EXPECT_GT(Glow(b), Glow(a) * 1.1) << name;
    }
}

TEST(Sounds, EveryEffectIsAudibleUnclippedAndShortWithoutClicksAndTheTuneLoopsSmoothly) {
    for (size_t i = 0; i < assets::kSounds.size(); ++i) {
        const std::string file = assets::kSounds[i];
        const Bytes& b = File(std::string(assets::kSoundFolder) + "/" + file);
        SWavInfo info;
        std::string error;
        ASSERT_TRUE(ParseWav(b, info, error)) << file << ": " << error;
        std::vector<float> s;
        for (size_t at = info.nDataOffset; at + 1 < info.nDataOffset + info.nDataBytes; at += 2)
            s.push_back(int16_t(assetgen::GetU16(&b[at])) / 32768.0f);
        double energy = 0;
        float peak = 0, steepest = 0;
        for (size_t k = 0; k < s.size(); ++k) {
            energy += double(s[k]) * s[k];
            peak = std::max(peak, std::fabs(s[k]));
            if (k) steepest = std::max(steepest, std::fabs(s[k] - s[k - 1]));
        }
        EXPECT_GT(std::sqrt(energy / s.size()), 0.02) << file << " is (nearly) silent";
        EXPECT_LT(peak, 0.95f) << file << " is too loud";
        const float join = std::fabs(s.front() - s.back());
        if (i == size_t(SOUND_MENU_MUSIC)) {
            EXPECT_LE(join, steepest) << file << ": the loop jumps where it starts over";
            continue;
        }
        EXPECT_LE(s.size(), size_t(1.6 * info.nRate)) << file << " is not short";
        EXPECT_LT(std::fabs(s.front()) + std::fabs(s.back()), 0.02f) << file << " starts or ends with a click";
    }
}

}  // namespace
