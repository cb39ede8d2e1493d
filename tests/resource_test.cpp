// The resource pack: names in the game's spelling find the stored files, damaged packs are
// reported with every place searched, a CRC mismatch fails the read, and the lookup order holds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/framework/resource.h"
#include "platform/log.h"
#include "tests/alloc_tracker.h"
#include "core/asset_names.h"
#include "tools/assetgen/byte_io.h"
#include "tools/assetgen/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using assetgen::Bytes;

// Collects log lines while alive.
class LogCapture {
public:
    LogCapture() {
        platform::SetLogSink([this](const std::string& line) {
            std::lock_guard lock(m_mutex);
            m_lines.push_back(line);
        });
    }
    ~LogCapture() { platform::SetLogSink({}); }
    std::string All() {
        std::lock_guard lock(m_mutex);
        std::string all;
        for (const auto& l : m_lines) all += l;
        return all;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

Bytes ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string ManifestLine(const std::string& name, size_t size, uint32_t crc) {
    char buf[256];
    std::snprintf(buf, sizeof buf, "%s %zu %08x\n", name.c_str(), size, crc);
    return buf;
}

// A pack of the given files with a correct manifest.
Bytes TinyPack(const std::map<std::string, Bytes>& files) {
    std::string manifest;
    for (const auto& [name, data] : files) manifest += ManifestLine(name, data.size(), assetgen::Crc32(data.data(), data.size()));
    auto all = files;
    all["manifest.txt"] = Text(manifest);
    return assetgen::WriteStoredZip(all);
}

std::map<std::string, Bytes> TinyFiles(const std::string& marker) {
    return {{"textures/Hello.txt", Text("hello " + marker)}, {"models/3ds/thing.bin", Bytes{0, 1, 2, 255}}};
}

std::string ExecutableDir() { return fs::read_symlink("/proc/self/exe").parent_path().string() + "/"; }

// A scratch folder of this process, removed at the end.
class ResourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = ::testing::TempDir() + "kd_resource_test_" + std::to_string(getpid()) + "/";
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        for (const auto& f : m_besideExe) fs::remove(f);
        fs::remove_all(m_dir);
    }
    std::string Put(const std::string& name, const Bytes& data, const std::string& sub = "") {
        fs::create_directories(m_dir + sub);
        const std::string path = m_dir + sub + name;
        WriteWholeFile(path, data);
        return path;
    }
    std::string PutBesideExe(const std::string& name, const Bytes& data) {
        const std::string path = ExecutableDir() + name;
        WriteWholeFile(path, data);
        m_besideExe.push_back(path);
        return path;
    }
    std::string m_dir;
    std::vector<std::string> m_besideExe;
};

std::string UniqueName(const std::string& label) { return "kd_" + label + "_" + std::to_string(getpid()) + ".dat"; }

TEST(ResourcePath, JoinPathNormalisesTheGamesFolderNames) {
    const struct {
        const char* folder;
        const char* file;
        const char* expected;
    } cases[] = {
        {"models\\3ds", "desk_kr.3ds", "models/3ds/desk_kr.3ds"},
        {"models/3ds/", "desk_kr.3ds", "models/3ds/desk_kr.3ds"},
        {"", "manifest.txt", "manifest.txt"},
        {"textures\\smenu\\desk", "krest.tga", "textures/smenu/desk/krest.tga"},
        {".\\textures", "./font.txt", "textures/font.txt"},
        {"/textures//", "font.txt", "textures/font.txt"},
        {"textures", "..\\manifest.txt", ""},
        {"models/../textures", "font.txt", ""},
        {"..", "res.dat", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CResource::JoinPath(c.folder, c.file), c.expected) << "folder \"" << c.folder << "\" file \"" << c.file << "\"";
}

TEST(ResourcePack, GameSpellingsAndWrongCaseFindTheSameFile) {
    CResource pack;
    pack.SetDatFile(KD_RES_PACK_PATH);
    ASSERT_TRUE(pack.Open()) << pack.LastError();
    EXPECT_EQ(pack.PackPath(), KD_RES_PACK_PATH);
    Bytes reference;
    ASSERT_TRUE(pack.ReadFile("models/3ds", "desk_kr.3ds", reference));
    ASSERT_GT(reference.size(), 6u);
    EXPECT_EQ(assetgen::GetU16(reference.data()), 0x4D4D) << "a 3DS main chunk";
    const std::pair<const char*, const char*> spellings[] = {
        {"models\\3ds", "desk_kr.3ds"}, {"MODELS\\3DS", "DESK_KR.3DS"}, {"Models/3ds/", "Desk_Kr.3ds"},
        {"", "models\\3ds\\desk_kr.3ds"}, {".\\models\\3ds", "./desk_KR.3ds"},
    };
    for (const auto& [folder, file] : spellings) {
        Bytes got;
        EXPECT_TRUE(pack.Exists(folder, file)) << folder << " | " << file;
        EXPECT_TRUE(pack.ReadFile(folder, file, got)) << folder << " | " << file;
        EXPECT_TRUE(got == reference) << folder << " | " << file << ": " << got.size() << " bytes";
    }
}

TEST(ResourcePack, EveryFileTheGameLoadsReads) {
    CResource pack;
    pack.SetDatFile(KD_RES_PACK_PATH);
    ASSERT_TRUE(pack.Open()) << pack.LastError();
    for (const std::string& path : assets::GameFiles()) {
        Bytes data;
        EXPECT_TRUE(pack.ReadFile("", path, data)) << path;
        EXPECT_FALSE(data.empty()) << path;
    }
}

TEST(ResourcePack, MissingOrEscapingNamesFailAndLeaveTheBufferEmpty) {
    CResource pack;
    pack.SetDatFile(KD_RES_PACK_PATH);
    ASSERT_TRUE(pack.Open()) << pack.LastError();
    const std::pair<const char*, const char*> cases[] = {
        {"textures", "nothing.tga"}, {"models\\3ds", "desk_kr.3d"},   {"textures", "..\\manifest.txt"},
        {"models/..", "manifest.txt"}, {"textures", ""},             {"", "textures"},
    };
    for (const auto& [folder, file] : cases) {
        LogCapture log;
        Bytes data = {1, 2, 3};
        EXPECT_FALSE(pack.ReadFile(folder, file, data)) << folder << " | " << file;
        EXPECT_TRUE(data.empty()) << folder << " | " << file;
        EXPECT_FALSE(pack.Exists(folder, file)) << folder << " | " << file;
        EXPECT_NE(log.All().find(file), std::string::npos) << "log names the file: " << log.All();
    }
}

TEST(ResourcePack, ReadingBeforeOpeningFails) {
    CResource pack;
    LogCapture log;
    Bytes data = {7};
    EXPECT_FALSE(pack.IsOpen());
    EXPECT_FALSE(pack.ReadFile("textures", "font.txt", data));
    EXPECT_TRUE(data.empty());
    EXPECT_FALSE(log.All().empty());
}

TEST_F(ResourceTest, DamagedPacksAreReportedWithTheFileAndEveryPlaceSearched) {
    const Bytes real = ReadWholeFile(KD_RES_PACK_PATH);
    ASSERT_GT(real.size(), 1000u);
    auto files = TinyFiles("x");
    auto withManifest = [&](const std::string& manifest) {
        auto all = files;
        all["manifest.txt"] = Text(manifest);
        return assetgen::WriteStoredZip(all);
    };
    const std::string helloLine = ManifestLine("textures/Hello.txt", 7, 0x12345678);
    const std::string thingLine = ManifestLine("models/3ds/thing.bin", 4, 0x12345678);
    const struct {
        const char* label;
        Bytes data;
        const char* why;  // expected in the message; "" when only the file is named
    } cases[] = {
        {"real pack cut in half", Bytes(real.begin(), real.begin() + real.size() / 2), "damaged"},
        {"real pack less its last byte", Bytes(real.begin(), real.end() - 1), "damaged"},
        {"text file", Text("this is not an archive\n"), "damaged"},
        {"empty file", Bytes{}, "damaged"},
        {"ZIP without a manifest", assetgen::WriteStoredZip(files), "no manifest.txt"},
        {"manifest line malformed", withManifest("textures/Hello.txt 7\n"), "line 1"},
        {"manifest names a missing file", withManifest(thingLine + helloLine + ManifestLine("sound/a.wav", 1, 0)), "sound/a.wav"},
        {"manifest size differs", withManifest(thingLine + ManifestLine("textures/Hello.txt", 8, 0)), "textures/Hello.txt"},
        {"file missing from the manifest", withManifest(thingLine), "textures/Hello.txt"},
        {"empty manifest", withManifest(""), "no files"},
        {"raw bytes in the manifest", withManifest("bad\x01\x7f\xff name\n"), "line 1"},
        {"a huge name", withManifest(thingLine + helloLine + ManifestLine(std::string(5000, 'x') + "\x01", 1, 0)), "xxx"},
    };
    int index = 0;
    for (const auto& c : cases) {
        const std::string name = UniqueName("damaged" + std::to_string(index++));
        const std::string path = Put(name, c.data);
        LogCapture log;
        CResource pack;
        pack.SetDatFile(name);
        pack.AddSearchDir(m_dir);
        EXPECT_FALSE(pack.Open()) << c.label;
        EXPECT_FALSE(pack.IsOpen()) << c.label;
        const std::string& e = pack.LastError();
        EXPECT_NE(e.find(path), std::string::npos) << c.label << ": " << e;
        EXPECT_NE(e.find(c.why), std::string::npos) << c.label << ": " << e;
        EXPECT_LT(e.size(), 1000u) << c.label;
        EXPECT_TRUE(std::all_of(e.begin(), e.end(), [](char ch) { return ch == '\n' || (ch >= ' ' && ch <= '~'); }))
            << c.label << ": " << e;
        for (const std::string& place : {ExecutableDir() + name, std::string(KD_DATA_DIR) + "/" + name, path})
            EXPECT_NE(e.find(place), std::string::npos) << c.label << ": " << place << " not in " << e;
        EXPECT_NE(log.All().find(name), std::string::npos) << c.label;
        Bytes data;
        EXPECT_FALSE(pack.ReadFile("textures", "Hello.txt", data)) << c.label;
        std::printf("%-32s -> %s\n", c.label, e.c_str());
    }
}

TEST_F(ResourceTest, AHugeClaimedSizeIsRefusedBeforeAnyAllocation) {
    constexpr uint32_t kClaim = 900u << 20;
    const std::string big = "textures/big.bin";
    auto files = TinyFiles("big");
    std::string manifest = ManifestLine(big, kClaim, 0);
    for (const auto& [name, data] : files) manifest += ManifestLine(name, data.size(), 0);
    files[big] = Text("tiny");
    files["manifest.txt"] = Text(manifest);
    Bytes zip = assetgen::WriteStoredZip(files);
    const std::string text(zip.begin(), zip.end());
    // The manifest names the entry first, then its local header (sizes 12 and 8 bytes before the
    // name) and its central directory record (26 and 22 before).
    const size_t local = text.find(big, text.find(big) + 1), central = text.find(big, local + 1);
    for (size_t at : {local - 12, local - 8, central - 26, central - 22}) assetgen::PatchU32(zip, at, kClaim);
    CResource pack;
    pack.SetDatFile(Put(UniqueName("huge"), zip));  // a path: the only place looked at
    alloc_tracker::Reset();
    EXPECT_FALSE(pack.Open());
    Bytes data;
    EXPECT_FALSE(pack.ReadFile("textures", "big.bin", data));
    EXPECT_LT(alloc_tracker::Largest(), size_t{1} << 20);
    EXPECT_NE(pack.LastError().find("big.bin"), std::string::npos) << pack.LastError();
}

TEST_F(ResourceTest, MissingPackNamesEveryPlaceSearchedInOrder) {
    const std::string name = UniqueName("missing");
    CResource pack;
    pack.SetDatFile(name);
    pack.AddSearchDir(m_dir + "first");
    pack.AddSearchDir(m_dir + "second/");
    LogCapture log;
    EXPECT_FALSE(pack.Open());
    const std::string& e = pack.LastError();
    const std::string places[] = {ExecutableDir() + name, std::string(KD_DATA_DIR) + "/" + name, "/usr/share/kelvodara/" + name,
                                  m_dir + "first/" + name, m_dir + "second/" + name};
    size_t last = 0;
    for (const auto& p : places) {
        const size_t at = e.find(p);
        EXPECT_NE(at, std::string::npos) << p << " not in " << e;
        if (at != std::string::npos) {
            EXPECT_GE(at, last) << p << " out of order in " << e;
            last = at;
        }
    }
    EXPECT_NE(log.All().find(name), std::string::npos);
    EXPECT_TRUE(pack.PackPath().empty());
}

TEST_F(ResourceTest, CrcMismatchFailsTheReadWithALogLine) {
    auto files = TinyFiles("crc");
    std::string manifest;
    for (const auto& [name, data] : files) {
        uint32_t crc = assetgen::Crc32(data.data(), data.size());
        if (name == "textures/Hello.txt") crc ^= 0x00010000u;  // one bit off
        manifest += ManifestLine(name, data.size(), crc);
    }
    files["manifest.txt"] = Text(manifest);
    const std::string name = UniqueName("crc");
    Put(name, assetgen::WriteStoredZip(files));
    CResource pack;
    pack.SetDatFile(name);
    pack.AddSearchDir(m_dir);
    ASSERT_TRUE(pack.Open()) << pack.LastError();

    LogCapture log;
    Bytes data = {9};
    EXPECT_FALSE(pack.ReadFile("TEXTURES", "hello.txt", data));
    EXPECT_TRUE(data.empty());
    const std::string logged = log.All();
    EXPECT_NE(logged.find("textures/Hello.txt"), std::string::npos) << logged;
    EXPECT_NE(logged.find("CRC"), std::string::npos) << logged;
    std::printf("logged: %s", logged.c_str());

    EXPECT_TRUE(pack.ReadFile("models\\3ds", "thing.bin", data)) << "the undamaged entry still reads";
    EXPECT_EQ(data, (Bytes{0, 1, 2, 255}));
}

TEST_F(ResourceTest, BesideTheExecutableComesFirstThenTheAddedFoldersInOrder) {
    const std::string name = UniqueName("order");
    const std::string first = Put(name, TinyPack(TinyFiles("first")), "first/");
    const std::string second = Put(name, TinyPack(TinyFiles("second")), "second/");
    auto readHello = [&](const std::string& expectedPath) {
        CResource pack;
        pack.SetDatFile(name);
        pack.AddSearchDir(m_dir + "first");
        pack.AddSearchDir(m_dir + "second");
        EXPECT_TRUE(pack.Open()) << pack.LastError();
        EXPECT_EQ(pack.PackPath(), expectedPath);
        Bytes data;
        EXPECT_TRUE(pack.ReadFile("textures", "hello.txt", data));
        return std::string(data.begin(), data.end());
    };
    EXPECT_EQ(readHello(first), "hello first");
    fs::remove(first);
    EXPECT_EQ(readHello(second), "hello second");
    const std::string beside = PutBesideExe(name, TinyPack(TinyFiles("beside")));
    EXPECT_EQ(readHello(beside), "hello beside");
}

TEST_F(ResourceTest, OpenOnceKeepsItsResultAndPacksShareAMount) {
    const std::string name = UniqueName("once");
    CResource late;
    late.SetDatFile(name);
    late.AddSearchDir(m_dir);
    EXPECT_FALSE(late.Open());
    Put(name, TinyPack(TinyFiles("once")));
    EXPECT_FALSE(late.Open()) << "the first result stands";

    Bytes a, b;
    auto first = std::make_unique<CResource>();
    first->SetDatFile(name);
    first->AddSearchDir(m_dir);
    ASSERT_TRUE(first->Open());
    {
        CResource second;
        second.SetDatFile(m_dir + name);
        ASSERT_TRUE(second.Open()) << second.LastError();
        EXPECT_TRUE(second.ReadFile("textures", "Hello.txt", b));
    }
    EXPECT_TRUE(first->ReadFile("textures", "Hello.txt", a)) << "closing one user of a pack keeps the other working";
    EXPECT_EQ(a, b);
    first.reset();
    CResource third;
    third.SetDatFile(m_dir + name);
    ASSERT_TRUE(third.Open()) << "mounts again after every user closed";
    EXPECT_TRUE(third.ReadFile("textures", "Hello.txt", a));
    EXPECT_EQ(a, b);
}

TEST(ResourcePack, ReadsFromSeveralThreadsAtOnceAllSucceed) {
    CResource pack;
    pack.SetDatFile(KD_RES_PACK_PATH);
    ASSERT_TRUE(pack.Open()) << pack.LastError();
    const std::vector<std::string> files = assets::GameFiles();
    constexpr int kThreads = 4;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (size_t i = static_cast<size_t>(t); i < files.size(); i += 2) {
                Bytes data;
                if (!pack.ReadFile("", files[i], data)) ++failures[static_cast<size_t>(t)];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(failures[static_cast<size_t>(t)], 0) << "thread " << t;
}

}  // namespace
