// The resource pack: every asset the game opens is in it and is what its name says; names in the
// game's spellings find the stored files; damaged packs are refused with a short printable message
// naming every place searched, without large allocations; packs share a mount until the last user
// closes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/framework/font_metrics.h"
#include "app/framework/image.h"
#include "app/framework/model_registry.h"
#include "app/framework/resource.h"
#include "app/framework/wav_format.h"
#include "core/asset_names.h"
#include "tests/support/alloc_tracker.h"
#include "tests/support/log_capture.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using assetgen::Bytes;
using Files = std::map<std::string, Bytes>;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string Line(const std::string& name, size_t size, uint32_t crc) {
    char fields[32];
    std::snprintf(fields, sizeof fields, " %zu %08x\n", size, crc);
    return name + fields;
}
// The files with the given manifest, or a correct one.
Bytes Zip(Files files, const char* manifest = nullptr) {
    std::string m;
    for (const auto& [name, data] : files) m += Line(name, data.size(), assetgen::Crc32(data));
    files["manifest.txt"] = Text(manifest ? manifest : m);
    return assetgen::WriteStoredZip(files);
}
Files Tiny(const std::string& marker = "x") {
    return {{"textures/Hello.txt", Text("hello " + marker)}, {"models/3ds/thing.bin", Bytes{0, 1, 2, 255}}};
}

class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Put(const std::string& name, const Bytes& data) {
        std::ofstream(m_dir + name, std::ios::binary).write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        return m_dir + name;
    }
    const std::string m_dir = ::testing::TempDir() + "kd_resource_" + std::to_string(getpid()) + "/";
};

CResource& GamePack() {
    static CResource pack;
    static const bool open = (pack.SetDatFile(KD_RES_PACK_PATH), pack.Open());
    EXPECT_TRUE(open) << pack.LastError();
    return pack;
}

bool EndsWith(const std::string& s, const char* tail) { return s.size() > 4 && s.substr(s.size() - 4) == tail; }

// Read from four threads at once, as the loaders do.
TEST(ResourcePack, EveryAssetTheGameOpensIsInThePackAndIsWhatItsNameSays) {
    const std::vector<std::string> files = assets::GameFiles();
    std::vector<std::thread> threads;
    for (size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (size_t i = t; i < files.size(); i += 4) {
                const std::string& path = files[i];
                Bytes b, tex;
                ASSERT_TRUE(GamePack().ReadFile("", path, b)) << path;
                std::string error;
                SImage img;
                SModelData model;
                SWavInfo wav;
                CFontMetrics font;
                if (EndsWith(path, ".tga")) EXPECT_TRUE(DecodeTga(b.data(), b.size(), img, error)) << path << error;
                else if (EndsWith(path, ".wav")) EXPECT_TRUE(ParseWav(b, wav, error)) << path << error;
                else if (EndsWith(path, ".txt")) EXPECT_TRUE(font.Parse(std::string(b.begin(), b.end()), error)) << path << error;
                else {
                    EXPECT_TRUE(Parse3ds(b.data(), b.size(), model, error)) << path << error;
                    for (const SMaterial& m : model.materials) {
                        if (m.textureFile.empty()) continue;
                        EXPECT_TRUE(GamePack().ReadFile(assets::kModelFolder, m.textureFile, tex) &&
                                    DecodeTga(tex.data(), tex.size(), img, error)) << path << " " << m.textureFile;
                    }
                }
            }
        });
    for (auto& th : threads) th.join();
}

TEST(ResourcePack, NamesInTheGamesSpellingsFindTheFileAndOthersNothing) {
    Bytes reference;
    ASSERT_TRUE(GamePack().ReadFile("models/3ds", "desk_kr.3ds", reference));
    const struct {
        const char *folder, *file;
        bool found;
    } cases[] = {
        {"models\\3ds", "desk_kr.3ds", true},   {"MODELS\\3DS", "DESK_KR.3DS", true}, {"Models/3ds/", "Desk_Kr.3ds", true},
        {"", "models\\3ds\\desk_kr.3ds", true}, {".\\models\\3ds", "./desk_KR.3ds", true},
        {"textures", "nothing.tga", false},    {"models\\3ds", "desk_kr.3d", false}, {"textures", "..\\manifest.txt", false},
        {"models/..", "manifest.txt", false},  {"textures", "", false},              {"", "textures", false},
    };
    for (const auto& c : cases) {
        CLogCapture log;
        Bytes got = {1};
        EXPECT_EQ(GamePack().ReadFile(c.folder, c.file, got), c.found) << c.folder << " | " << c.file;
        EXPECT_EQ(GamePack().Exists(c.folder, c.file), c.found) << c.folder << " | " << c.file;
        EXPECT_TRUE(c.found ? got == reference : got.empty() && log.Mentions(c.file)) << c.folder << " | " << c.file;
    }
    EXPECT_EQ(CResource::JoinPath("/textures//", "font.txt") + CResource::JoinPath("models/../textures", "font.txt"), "textures/font.txt");
    EXPECT_FALSE(CResource().ReadFile("textures", "font.txt", reference)) << "a pack not opened";
}

std::string Nested(int depth) {
    std::string path;
    for (int i = 0; i < depth; ++i) path += "d/";
    return path + "x.bin";
}

// A pack whose big.bin claims 900 MiB in its manifest and both ZIP headers.
Bytes HugeClaim() {
    constexpr uint32_t kClaim = 900u << 20;
    Files files = Tiny();
    const std::string big = "textures/big.bin";
    files[big] = Text("tiny");
    Bytes zip = Zip(files, (Line(big, kClaim, 0) + Line("models/3ds/thing.bin", 4, 0) + Line("textures/Hello.txt", 7, 0)).c_str());
    const std::string text(zip.begin(), zip.end());
    // The manifest names it first, then the local header (sizes 12 and 8 bytes before the name)
    // and the central record (26 and 22 before).
    const size_t local = text.find(big, text.find(big) + 1), central = text.find(big, local + 1);
    for (size_t at : {local - 12, local - 8, central - 26, central - 22}) assetgen::PatchU32(zip, at, kClaim);
    return zip;
}

TEST_F(ResourceTest, DamagedPacksAreReportedWithTheFileAndEveryPlaceSearched) {
    std::ifstream in(KD_RES_PACK_PATH, std::ios::binary);
    const Bytes real((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(real.size(), 1000u);
    const std::string hello = Line("textures/Hello.txt", 7, 0), thing = Line("models/3ds/thing.bin", 4, 0);
    const struct {
        const char* label;
        Bytes data;
        const char* why;
    } cases[] = {
        {"real pack cut in half", Bytes(real.begin(), real.begin() + real.size() / 2), "damaged"},
        {"real pack less its last byte", Bytes(real.begin(), real.end() - 1), "damaged"},
        {"empty file", Bytes{}, "damaged"},
        {"ZIP without a manifest", assetgen::WriteStoredZip(Tiny()), "no manifest.txt"},
        {"manifest line malformed", Zip(Tiny(), "textures/Hello.txt 7\n"), "line 1"},
        {"manifest names a missing file", Zip(Tiny(), (thing + hello + Line("sound/a.wav", 1, 0)).c_str()), "sound/a.wav"},
        {"manifest size differs", Zip(Tiny(), (thing + Line("textures/Hello.txt", 8, 0)).c_str()), "textures/Hello.txt"},
        {"file missing from the manifest", Zip(Tiny(), thing.c_str()), "textures/Hello.txt"},
        {"empty manifest", Zip(Tiny(), ""), "no files"},
        {"raw bytes in a name", Zip(Tiny(), "bad\x01\x7f\xff name\n"), "line 1"},
        {"a huge name", Zip(Tiny(), (thing + hello + Line(std::string(5000, 'x') + "\x01", 1, 0)).c_str()), "xxx..."},
        {"a huge claimed size", HugeClaim(), "big.bin"},
        {"an empty folder name", Zip({{"models//x.bin", {1}}}), "lacks it"},
        {"forty folders deep", Zip({{Nested(40), {1}}}), "nest deeper"},
    };
    const std::string exeDir = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
    int index = 0;
    for (const auto& c : cases) {
        const std::string name = "kd_damaged" + std::to_string(index++) + "_" + std::to_string(getpid()) + ".dat";
        const std::string path = Put(name, c.data);
        CLogCapture log;
        CResource pack;
        pack.SetDatFile(name);
        pack.AddSearchDir(m_dir);
        alloc_tracker::Reset();
        EXPECT_FALSE(pack.Open()) << c.label;
        EXPECT_LT(alloc_tracker::Largest(), size_t{1} << 20) << c.label;
        const std::string& e = pack.LastError();
        EXPECT_NE(e.find(c.why), std::string::npos) << c.label << ": " << e;
        EXPECT_TRUE(e.size() < 1000 && std::all_of(e.begin(), e.end(), [](char ch) { return ch == '\n' || (ch >= ' ' && ch <= '~'); }))
            << "a short printable message: " << e;
        for (const std::string& place : {exeDir + name, std::string(KD_DATA_DIR) + "/" + name, path})
            EXPECT_NE(e.find(place), std::string::npos) << c.label << ": " << place << " not in " << e;
        EXPECT_TRUE(log.Mentions(name)) << c.label;
    }
    // Sixteen folders deep is an ordinary tree.
    CResource deep;
    deep.SetDatFile(Put("deep.dat", Zip({{Nested(16), {1, 2, 3}}})));
    ASSERT_TRUE(deep.Open()) << deep.LastError();
    Bytes data;
    EXPECT_TRUE(deep.ReadFile("", Nested(16), data) && data == (Bytes{1, 2, 3}));
}

TEST_F(ResourceTest, OpenOnceKeepsItsResultAndPacksShareAMount) {
    CResource late;
    late.SetDatFile(m_dir + "once.dat");
    EXPECT_FALSE(late.Open());
    const std::string path = Put("once.dat", Zip(Tiny("once")));
    EXPECT_FALSE(late.Open()) << "the first result stands";
    Bytes a, b;
    auto first = std::make_unique<CResource>();
    first->SetDatFile(path);
    ASSERT_TRUE(first->Open());
    {
        CResource second;
        second.SetDatFile(path);
        ASSERT_TRUE(second.Open()) << second.LastError();
        EXPECT_TRUE(second.ReadFile("textures", "Hello.txt", b));
    }
    EXPECT_TRUE(first->ReadFile("textures", "Hello.txt", a)) << "closing one user of a pack keeps the other working";
    EXPECT_EQ(a, b);
    first.reset();
    CResource third;
    third.SetDatFile(path);
    ASSERT_TRUE(third.Open()) << "mounts again after every user closed";
    EXPECT_TRUE(third.ReadFile("textures", "Hello.txt", a));
    EXPECT_EQ(a, b);
}

}  // namespace
