// What an installed game relies on: the order in which res.dat is looked for (beside the binary,
// then ../share/kelvodara, then the compiled-in and system data folders), and the desktop icons:
// valid PNG files that decode to the painted pixels, the same picture at every size.
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/framework/resource.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/icon.h"
#include "tools/assetgen/png_writer.h"
#include "tools/assetgen/rng.h"
#include "tools/assetgen/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using assetgen::Bytes;

const std::string kCompiledDataDir = KD_DATA_DIR;
const std::string kSystemDataDir = "/usr/share/kelvodara";

std::string Joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& e : v) s += (s.empty() ? "" : " | ") + e;
    return s;
}

std::vector<std::string> WithoutRepeats(const std::vector<std::string>& v) {
    std::vector<std::string> out;
    for (const auto& e : v)
        if (std::find(out.begin(), out.end(), e) == out.end()) out.push_back(e);
    return out;
}

// ---- where the pack is looked for ----

TEST(PackLookup, PlacesComeInOrderBesideThenInstalledThenDataFolders) {
    const std::string compiled = kCompiledDataDir + "/res.dat";
    const std::string system = kSystemDataDir + "/res.dat";
    const struct {
        const char* label;
        std::string exeDir;
        std::string datFile;
        std::vector<std::string> extra;
        std::vector<std::string> expected;
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
        std::printf("%-50s exe \"%s\" -> %s\n", c.label, c.exeDir.c_str(), Joined(actual).c_str());
        EXPECT_EQ(actual, c.expected) << c.label << "\n  expected: " << Joined(c.expected)
                                      << "\n  actual:   " << Joined(actual);
        EXPECT_EQ(actual, WithoutRepeats(actual)) << c.label << ": a place is searched twice";
    }
}

// ---- the real lookup from this test binary's folder ----

std::string ExecutableDir() { return fs::read_symlink("/proc/self/exe").parent_path().string() + "/"; }

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A one-file pack with a correct manifest; its text file says where the pack was put.
Bytes TinyPack(const std::string& marker) {
    const Bytes hello = Text(marker);
    char line[256];
    std::snprintf(line, sizeof line, "textures/hello.txt %zu %08x\n", hello.size(), assetgen::Crc32(hello));
    return assetgen::WriteStoredZip({{"textures/hello.txt", hello}, {"manifest.txt", Text(line)}});
}

// Writes files into folders beside and above the test binary, and removes exactly what it made.
class InstalledLayoutTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
            std::error_code ec;
            fs::remove(*it, ec);  // folders only go when empty: nothing of anyone else's
        }
    }
    std::string Put(const std::string& dir, const std::string& name, const Bytes& data) {
        std::vector<fs::path> missing;
        for (fs::path p = fs::path(dir).lexically_normal(); !p.empty() && !fs::exists(p); p = p.parent_path())
            missing.push_back(p);
        fs::create_directories(dir);
        m_made.insert(m_made.end(), missing.rbegin(), missing.rend());
        const std::string path = (fs::path(dir) / name).lexically_normal().string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                    static_cast<std::streamsize>(data.size()));
        m_made.push_back(path);
        return path;
    }
    static std::string Hello(CResource& pack) {
        std::vector<uint8_t> data;
        EXPECT_TRUE(pack.ReadFile("textures", "hello.txt", data));
        return std::string(data.begin(), data.end());
    }
    std::vector<fs::path> m_made;
};

TEST_F(InstalledLayoutTest, AnInstalledPackIsFoundFromBinAndOneBesideTheBinaryWins) {
    const std::string name = "kd_install_" + std::to_string(getpid()) + ".dat";
    const std::string installed = Put(ExecutableDir() + "../share/kelvodara", name, TinyPack("installed"));
    {
        CResource pack;
        pack.SetDatFile(name);
        ASSERT_TRUE(pack.Open()) << pack.LastError();
        EXPECT_EQ(pack.PackPath(), installed);
        EXPECT_EQ(Hello(pack), "installed");
    }
    const std::string beside = Put(ExecutableDir(), name, TinyPack("beside"));
    CResource pack;
    pack.SetDatFile(name);
    ASSERT_TRUE(pack.Open()) << pack.LastError();
    EXPECT_EQ(pack.PackPath(), beside);
    EXPECT_EQ(Hello(pack), "beside");
}

// ---- PNG writer ----

struct SChunk {
    std::string type;
    Bytes data;
    uint32_t storedCrc;
};

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// Splits a PNG file into its chunks; fails the test on a malformed layout.
std::vector<SChunk> Chunks(const Bytes& png) {
    const Bytes signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<SChunk> out;
    if (png.size() < signature.size() || !std::equal(signature.begin(), signature.end(), png.begin())) {
        ADD_FAILURE() << "no PNG signature";
        return out;
    }
    size_t at = signature.size();
    while (at + 12 <= png.size()) {
        const uint32_t len = BigEndian32(&png[at]);
        if (at + 12 + len > png.size()) break;
        SChunk c{std::string(png.begin() + at + 4, png.begin() + at + 8),
                 Bytes(png.begin() + at + 8, png.begin() + at + 8 + len), BigEndian32(&png[at + 8 + len])};
        out.push_back(c);
        at += 12 + len;
    }
    EXPECT_EQ(at, png.size()) << "bytes after the last whole chunk";
    return out;
}

// Straight RGBA rows bottom to top, as the painter gives them, with every alpha level present.
std::vector<uint8_t> NoisyPicture(int w, int h, uint64_t seed) {
    assetgen::Rng rng(seed);
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(rng.Next() >> 56);
    // The bottom row walks alpha from 0 to 255 where it is wide enough.
    for (int x = 0; x < w; ++x) rgba[static_cast<size_t>(x) * 4 + 3] = static_cast<uint8_t>(x * 255 / std::max(1, w - 1));
    return rgba;
}

TEST(PngWriter, DecodesToTheSamePixelsTopRowFirstWithValidChunks) {
    const struct {
        int w, h;
    } sizes[] = {{1, 1}, {2, 3}, {37, 23}, {256, 5}};
    for (const auto& s : sizes) {
        const std::vector<uint8_t> rgba = NoisyPicture(s.w, s.h, static_cast<uint64_t>(s.w * 1000 + s.h));
        const Bytes png = assetgen::WritePng(s.w, s.h, rgba);

        const std::vector<SChunk> chunks = Chunks(png);
        std::vector<std::string> types;
        for (const auto& c : chunks) {
            types.push_back(c.type);
            Bytes typed(c.type.begin(), c.type.end());
            typed.insert(typed.end(), c.data.begin(), c.data.end());
            // zlib's CRC is an implementation of its own, so a wrong table or seed shows here.
            const uint32_t crc = static_cast<uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size())));
            EXPECT_EQ(c.storedCrc, crc) << s.w << "x" << s.h << " chunk " << c.type;
        }
        EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"})) << Joined(types);
        ASSERT_FALSE(chunks.empty());
        ASSERT_EQ(chunks[0].data.size(), 13u);
        EXPECT_EQ(BigEndian32(&chunks[0].data[0]), static_cast<uint32_t>(s.w));
        EXPECT_EQ(BigEndian32(&chunks[0].data[4]), static_cast<uint32_t>(s.h));
        EXPECT_EQ(chunks[0].data[8], 8) << "bit depth";
        EXPECT_EQ(chunks[0].data[9], 6) << "colour type RGBA";

        int w = 0, h = 0, n = 0;
        stbi_uc* decoded = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &n, 4);
        ASSERT_NE(decoded, nullptr) << s.w << "x" << s.h << ": " << stbi_failure_reason();
        EXPECT_EQ(w, s.w);
        EXPECT_EQ(h, s.h);
        EXPECT_EQ(n, 4);
        int mismatches = 0;
        for (int row = 0; row < s.h && w == s.w && h == s.h; ++row)
            for (int i = 0; i < s.w * 4; ++i) {
                const uint8_t want = rgba[(static_cast<size_t>(s.h - 1 - row) * s.w) * 4 + i];
                const uint8_t got = decoded[(static_cast<size_t>(row) * s.w) * 4 + i];
                if (want != got && ++mismatches <= 3)
                    ADD_FAILURE() << s.w << "x" << s.h << " file row " << row << " byte " << i << ": expected "
                                  << int(want) << ", decoded " << int(got);
            }
        stbi_image_free(decoded);
        EXPECT_EQ(mismatches, 0) << s.w << "x" << s.h;
        std::printf("%3dx%-3d -> %zu bytes, %d mismatching bytes\n", s.w, s.h, png.size(), mismatches);
    }
}

TEST(PngWriter, SamePixelsSameBytesAndMismatchedSizesAreRefused) {
    const std::vector<uint8_t> rgba = NoisyPicture(19, 7, 5);
    EXPECT_EQ(assetgen::WritePng(19, 7, rgba), assetgen::WritePng(19, 7, rgba));
    EXPECT_THROW(assetgen::WritePng(19, 8, rgba), std::invalid_argument);
    EXPECT_THROW(assetgen::WritePng(0, 7, {}), std::invalid_argument);
    EXPECT_THROW(assetgen::WritePng(-19, -7, rgba), std::invalid_argument);
}

// ---- the icon ----

double Luma(const uint8_t* p) { return (0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]) / 255.0; }

// A square picture scaled down to out x out: each output pixel averages the input pixels whose
// centres fall in it (colour weighted by alpha), values 0..1.
std::vector<double> ScaledDown(const std::vector<uint8_t>& rgba, int size, int out) {
    std::vector<double> sum(static_cast<size_t>(out) * out * 4, 0.0);
    std::vector<int> count(static_cast<size_t>(out) * out, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            const size_t cell = static_cast<size_t>(y * out / size) * out + x * out / size;
            const double a = p[3] / 255.0;
            for (int k = 0; k < 3; ++k) sum[cell * 4 + k] += p[k] / 255.0 * a;
            sum[cell * 4 + 3] += a;
            ++count[cell];
        }
    for (size_t i = 0; i < sum.size(); ++i) sum[i] /= count[i / 4];
    return sum;
}

TEST(DesktopIcon, EverySizeIsARoundedOpaqueTileWithALightAndADarkDraught) {
    for (const int size : assetgen::kIconSizes) {
        const assetgen::Image icon = assetgen::PaintIcon(size);
        ASSERT_EQ(icon.Width(), size);
        ASSERT_EQ(icon.Height(), size);
        const std::vector<uint8_t> rgba = icon.ToRgba8();
        auto alphaAt = [&](int x, int y) { return rgba[(static_cast<size_t>(y) * size + x) * 4 + 3]; };
        const int last = size - 1;
        EXPECT_EQ(alphaAt(0, 0) + alphaAt(last, 0) + alphaAt(0, last) + alphaAt(last, last), 0)
            << size << ": the corners lie outside the rounded tile";
        EXPECT_EQ(alphaAt(size / 2, size / 2), 255) << size << ": the middle is opaque";
        EXPECT_EQ(alphaAt(size / 2, size / 16), 255) << size << ": the tile reaches close to the edge";
        int light = 0, dark = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            if (rgba[i + 3] < 255) continue;
            const double l = Luma(&rgba[i]);
            light += l > 0.85;
            dark += l < 0.10;
        }
        const double area = static_cast<double>(size) * size;
        std::printf("%3d px: light %.3f, dark %.3f of the area\n", size, light / area, dark / area);
        EXPECT_GT(light / area, 0.06) << size << ": the white draught";
        EXPECT_GT(dark / area, 0.02) << size << ": the black draught";
    }
}

TEST(DesktopIcon, SmallSizesShowTheSamePictureAsTheLargestAndRepaintsAreIdentical) {
    const int largest = assetgen::kIconSizes.back();
    const std::vector<uint8_t> big = assetgen::PaintIcon(largest).ToRgba8();
    for (const int size : assetgen::kIconSizes) {
        if (size == largest) continue;
        const std::vector<double> reference = ScaledDown(big, largest, size);
        const std::vector<double> small = ScaledDown(assetgen::PaintIcon(size).ToRgba8(), size, size);
        double sum = 0;
        for (size_t i = 0; i < small.size(); ++i) sum += std::fabs(small[i] - reference[i]);
        const double mean = sum / static_cast<double>(small.size());
        std::printf("%3d px: mean difference from the %d px icon scaled down %.4f\n", size, largest, mean);
        EXPECT_LT(mean, 0.05) << size << " px differs from the " << largest << " px picture";
    }
    EXPECT_EQ(assetgen::WritePng(assetgen::PaintIcon(48)), assetgen::WritePng(assetgen::PaintIcon(48)));
}

}  // namespace
