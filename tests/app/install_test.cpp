// What an installed game relies on: the order in which res.dat is looked for (beside the binary,
// then ../share/kelvodara, then the compiled-in and system data folders), and the PNG writer of
// the desktop icons.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/framework/resource.h"
#include "tools/assetgen/png_writer.h"
#include "tools/assetgen/rng.h"

namespace {

using assetgen::Bytes;

const std::string kCompiledDataDir = KD_DATA_DIR;
const std::string kSystemDataDir = "/usr/share/kelvodara";

std::vector<std::string> WithoutRepeats(const std::vector<std::string>& v) {
    std::vector<std::string> out;
    for (const auto& e : v)
        if (std::find(out.begin(), out.end(), e) == out.end()) out.push_back(e);
    return out;
}

// ---- where the pack is looked for ----

TEST(PackLookup, PlacesComeInOrderBesideThenInstalledThenDataFolders) {
    const std::string compiled = kCompiledDataDir + "/res.dat", system = kSystemDataDir + "/res.dat";
    const struct {
        const char* label;
        std::string exeDir, datFile;
        std::vector<std::string> extra, expected;
    } cases[] = {
        {"installed under /usr", "/usr/bin/", "res.dat", {},
         WithoutRepeats({"/usr/bin/res.dat", "/usr/share/kelvodara/res.dat", compiled, system})},
        {"a Debian game in /usr/games", "/usr/games/", "res.dat", {},
         WithoutRepeats({"/usr/games/res.dat", "/usr/share/kelvodara/res.dat", compiled, system})},
        {"installed under /opt, no trailing slash", "/opt/kd/bin", "res.dat", {},
         WithoutRepeats({"/opt/kd/bin/res.dat", "/opt/kd/share/kelvodara/res.dat", compiled, system})},
        {"run from a build folder, added folders last", "/home/u/kd/build/", "res.dat", {"/tmp/a", "/tmp/b/"},
         WithoutRepeats({"/home/u/kd/build/res.dat", "/home/u/kd/share/kelvodara/res.dat", compiled, system,
                         "/tmp/a/res.dat", "/tmp/b/res.dat"})},
        {"an added folder that is already searched comes once", "/usr/bin/", "res.dat", {"/usr/bin", "/usr/share/kelvodara/"},
         WithoutRepeats({"/usr/bin/res.dat", "/usr/share/kelvodara/res.dat", compiled, system})},
        {"executable folder unknown", "", "other.dat", {"/x"},
         WithoutRepeats({kCompiledDataDir + "/other.dat", kSystemDataDir + "/other.dat", "/x/other.dat"})},
        {"a path is the only place", "/usr/bin/", "/srv/packs/res.dat", {"/x"}, {"/srv/packs/res.dat"}},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> actual = CResource::SearchPlaces(c.exeDir, c.datFile, c.extra);
        EXPECT_EQ(actual, c.expected) << c.label;
    }
}

// ---- PNG writer ----

TEST(PngWriter, DecodesToThePaintedPixelsTopRowFirstAndRefusesMismatchedSizes) {
    for (const int size : {1, 37}) {
        assetgen::Rng rng{uint64_t(size)};
        std::vector<uint8_t> rgba(size_t(size) * 3 * 4);  // size x 3, bottom row first
        for (uint8_t& v : rgba) v = static_cast<uint8_t>(rng.Next() >> 56);
        const Bytes png = assetgen::WritePng(size, 3, rgba);
        int w = 0, h = 0, n = 0;
        stbi_uc* decoded = stbi_load_from_memory(png.data(), int(png.size()), &w, &h, &n, 4);
        ASSERT_NE(decoded, nullptr) << size << ": " << stbi_failure_reason();
        std::vector<uint8_t> bottomUp;
        for (int row = h - 1; row >= 0; --row) bottomUp.insert(bottomUp.end(), decoded + row * w * 4, decoded + (row + 1) * w * 4);
        stbi_image_free(decoded);
        EXPECT_EQ(w * 100 + h * 10 + n, size * 100 + 34);
        EXPECT_TRUE(bottomUp == rgba) << size;
    }
    EXPECT_THROW(assetgen::WritePng(2, 3, std::vector<uint8_t>(20)), std::invalid_argument);
    EXPECT_THROW(assetgen::WritePng(0, 7, {}), std::invalid_argument);
}

}  // namespace
