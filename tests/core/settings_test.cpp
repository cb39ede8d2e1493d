// The ini reader/writer and the settings file: Windows integer and name rules, foreign lines
// kept byte for byte, line ends completed once, and bad files or folders that never crash the
// game nor lose data.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/game_settings.h"
#include "platform/ini_file.h"
#include "platform/log.h"
#include "platform/paths.h"

namespace {

namespace fs = std::filesystem;
using platform::GetProfileIntFromText;
using platform::SetProfileStringInText;

const char* const kSection = "Kelvo Dara";
const char* const kKeys[] = {"GameMode", "TurnType", "CheckType", "BoardType", "MyWhite", "FullScreen", "StarType", "DepthBits"};

// The eight persisted values in file order.
using Persisted = std::array<int, 8>;
// What a file without our keys loads as: quick game, BY TURN, bone, board 0, white, window,
// no star models, 32 bits.
constexpr Persisted kMissingKeyValues = {0, 0, 0, 0, 1, 0, 2, 32};
const Persisted kSample = {1, 1, 2, 1, 0, 1, 1, 16};
const char* const kSampleFile =
    "[Kelvo Dara]\nGameMode=1\nTurnType=1\nCheckType=2\nBoardType=1\nMyWhite=0\nFullScreen=1\nStarType=1\nDepthBits=16\n";

Persisted Values(const CGameSettings& s) {
    return {s.GameMode, s.TurnType, s.CheckType, s.BoardType, s.MyWhite, s.FullScreen ? 1 : 0, s.StarType, s.DepthBits};
}

CGameSettings WithValues(const Persisted& v) {
    CGameSettings s;
    s.GameMode = v[0], s.TurnType = v[1], s.CheckType = v[2], s.BoardType = v[3];
    s.MyWhite = v[4], s.FullScreen = v[5] != 0, s.StarType = v[6], s.DepthBits = v[7];
    return s;
}

Persisted LoadFresh() {
    CGameSettings s;
    s.Load();
    return Values(s);
}

TEST(IniText, IntegerValuesReadLikeGetPrivateProfileInt) {
    const int kDefault = 123;
    const std::pair<const char*, int> cases[] = {
        {"12abc", 12}, {"abc", 0}, {"08", 8}, {"-7", -7}, {"+5", 5}, {"0x10", 16}, {"0X1f", 31}, {"0xAe", 174},
        {"0x1g", 1}, {"-0x10", -16}, {"\t7\t", 7}, {"- 5", 0},
        // Overflow wraps in an unsigned 32-bit accumulator, as GetPrivateProfileIntA does.
        {"99999999999", 1215752191}, {"4294967295", -1}, {"2147483648", INT_MIN},
        // One pair of matching quotes is dropped; an empty value is the default.
        {"\"5\"", 5}, {"'7'", 7}, {"\"", 0}, {"\"\"", kDefault}, {"", kDefault}, {"   ", kDefault},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(expected, GetProfileIntFromText(std::string("[Kelvo Dara]\nGameMode=") + value + "\n", kSection, "GameMode", kDefault))
            << value;
}

TEST(IniText, NamesSectionsAndLayout) {
    const std::pair<const char*, int> cases[] = {  // GameMode of "Kelvo Dara", default -1
        {"[kelvo dara]\ngamemode=3\n", 3}, {"  [ KELVO DARA ]  \n  GAMEMODE  =  3  \n", 3},
        {"[Kelvo Dara]\r\nGameMode=3\r\n", 3}, {"[Kelvo Dara]\nGameMode=3=4", 3}, {"[Kelvo Dara]\nGameMode=\n", -1},
        {"[Kelvo Dara]\nGameMode\n", -1}, {"[Kelvo Dara]\nGameMode=3\nGameMode=4\n", 3},
        {"[Kelvo Dara]\nTurnType=1\n[kelvo dara]\nGameMode=4\n", -1}, {"[Other]\nGameMode=3\n", -1},
        {"GameMode=3\n[Kelvo Dara]\n", -1}, {"[Kelvo Dara]\n[Other]\nGameMode=3\n", -1},
        {"[Kelvo Dara]\n;GameMode=3\n", -1}, {"[Kelvo Dara]\nGameModeX=3\nGameMod=4\n", -1},
        {"[Kelvo Dara\nGameMode=3\n", -1}, {"", -1},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(expected, GetProfileIntFromText(text, kSection, "GameMode", -1)) << text;
    EXPECT_EQ(-1, GetProfileIntFromText("[Kelvo Dara]\n;GameMode=3\n", kSection, ";GameMode", -1)) << "a comment is no entry";
}

// Setting GameMode=1 changes only its line, in the file's own line ends; a last line closed only
// by "\r" is completed once, and saving all keys again gives the same bytes.
TEST(IniText, WriterChangesOnlyTheKeyLineAndSavingTwiceGivesTheSameBytes) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "[Kelvo Dara]\nGameMode=1\n"},
        {"[Kelvo Dara]\ngamemode = 0 \n", "[Kelvo Dara]\nGameMode=1\n"},
        {"[Kelvo Dara]\nGameMode=0\nGameMode=5\n", "[Kelvo Dara]\nGameMode=1\nGameMode=5\n"},
        {"[Kelvo Dara]\nA=1\n\n[Other]\nB=2\n", "[Kelvo Dara]\nA=1\nGameMode=1\n\n[Other]\nB=2\n"},
        {"[Kelvo Dara]\r\nGameMode=0\r\nB=2\n", "[Kelvo Dara]\r\nGameMode=1\r\nB=2\n"},
        {"[Kelvo Dara]\nA=1\n[kelvo dara]\nGameMode=0\n", "[Kelvo Dara]\nA=1\nGameMode=1\n[kelvo dara]\nGameMode=0\n"},
        {"; top\n[Kelvo Dara]\n; note\nGameMode=0 ; old\n", "; top\n[Kelvo Dara]\n; note\nGameMode=1\n"},
        {"[Other]\nB=2", "[Other]\nB=2\n\n[Kelvo Dara]\nGameMode=1\n"},
        {"[Other]\r\nB=2\r\n", "[Other]\r\nB=2\r\n\r\n[Kelvo Dara]\r\nGameMode=1\r\n"},
        {"[Kelvo Dara]\r\nA=1\r", "[Kelvo Dara]\r\nA=1\r\nGameMode=1\r\n"},
        {"[Kelvo Dara]\nA=1\r", "[Kelvo Dara]\nA=1\r\nGameMode=1\n"},
        {"x\r", "x\r\n\n[Kelvo Dara]\nGameMode=1\n"},
        {"[Kelvo Dara]\r\nGameMode=5\r", "[Kelvo Dara]\r\nGameMode=1\r"},
        {"[Kelvo Dara]\r\nA=1", "[Kelvo Dara]\r\nA=1\r\nGameMode=1\r\n"},
        // Found by the settings fuzzer: a key line cut after its "\r", below a lookalike header.
        {"; k\x97" "d\r\ndzoth&er]\r\x8aGameMode=9\r\n\r\xef[ [Kelvo Dae=\xbe[K!lvo Dara]\nMyWhit\n[Kelvo Dara]\n"
         "MyWhite=+214~kelvo dara-2\r\n\x96ue\xff" "Dar\xff[Kelvo Dara]\nGameMode=27483648\r", nullptr},
    };
    for (const auto& [before, after] : cases) {
        if (after) { EXPECT_EQ(after, SetProfileStringInText(before, kSection, "GameMode", "1")) << before; }
        std::string once = before;
        for (const char* key : kKeys) once = SetProfileStringInText(once, kSection, key, "1");
        std::string twice = once;
        for (const char* key : kKeys) twice = SetProfileStringInText(twice, kSection, key, "1");
        EXPECT_EQ(once, twice) << before;
        for (const char* key : kKeys) EXPECT_EQ(1, GetProfileIntFromText(once, kSection, key, -1)) << key << " in " << once;
    }
}

// Each test gets its own config folder and captures the log.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kd_settings_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
        platform::SetLogSink([this](const std::string& line) { m_log.push_back(line); });
    }
    void TearDown() override {
        platform::SetLogSink({});
        std::error_code ec;
        for (const auto& e : fs::recursive_directory_iterator(m_root, ec))  // undo chmod 000 / 555
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_root, ec);
    }

    std::string Folder() const { return m_root + "/kelvodara"; }
    static std::string File() { return CGameSettings::FilePath(); }
    void WriteRaw(const std::string& bytes) {
        fs::create_directories(Folder());
        std::ofstream(File(), std::ios::binary) << bytes;
    }
    static std::string ReadRaw() {
        std::ifstream in(File(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // The settings file alone: no temporary file left beside it.
    bool Alone() const { return fs::exists(File()) && std::distance(fs::directory_iterator(Folder()), {}) == 1; }
    // What stands at the file's place: its kind and, for a file, its bytes.
    static std::string Snapshot() { return fs::is_regular_file(File()) ? ReadRaw() : std::to_string(int(fs::status(File()).type())); }
    // True when some log line names the settings folder (or the file in it).
    bool Logged() const {
        return std::any_of(m_log.begin(), m_log.end(), [](const auto& l) { return l.find(platform::ConfigDir()) != std::string::npos; });
    }

    std::string m_root;
    std::vector<std::string> m_log;
};

TEST_F(SettingsFile, TheEightKeysAreSavedInOrderAndLoadBackAndMissingKeysLoadTheirValues) {
    EXPECT_EQ(kMissingKeyValues, LoadFresh());
    EXPECT_TRUE(m_log.empty()) << "a first start is not an error";
    EXPECT_FALSE(fs::exists(File())) << "loading creates nothing";
    ASSERT_TRUE(WithValues(kSample).Save());
    EXPECT_EQ(kSampleFile, ReadRaw());
    EXPECT_TRUE(Alone());
    EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    for (const Persisted& r : {kSample, Persisted{1, 0, 1, 2, 1, 1, 0, 24}}) {
        ASSERT_TRUE(WithValues(r).Save());
        const std::string first = ReadRaw();
        EXPECT_EQ(r, LoadFresh());
        ASSERT_TRUE(WithValues(r).Save());
        EXPECT_EQ(first, ReadRaw()) << "saving the same values twice changes nothing";
    }
}

TEST_F(SettingsFile, ForeignLinesAreKeptByteForByte) {
    WriteRaw("; written by hand\r\n[Video]\r\nGamma = 1.2 \r\n\r\n[Kelvo Dara]\r\nGameMode=0\r\nNickname=Ann\r\n"
             "  turntype = 0\r\n; keep me\r\n\r\n[Audio]\r\nVolume=7\r\n");
    ASSERT_TRUE(WithValues(kSample).Save());
    EXPECT_EQ("; written by hand\r\n[Video]\r\nGamma = 1.2 \r\n\r\n[Kelvo Dara]\r\nGameMode=1\r\nNickname=Ann\r\n"
              "TurnType=1\r\n; keep me\r\nCheckType=2\r\nBoardType=1\r\nMyWhite=0\r\nFullScreen=1\r\n"
              "StarType=1\r\nDepthBits=16\r\n\r\n[Audio]\r\nVolume=7\r\n",
              ReadRaw());
}

TEST_F(SettingsFile, OddFilesLoadWithoutHarmAndSaveWithoutLoss) {
    const char nulInValue[] = "[Kelvo Dara]\nDepthBits=24\0" "6\n";
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += char((i * 37 + 11) & 0xff);  // every byte value, NULs included
    const struct { const char* name; std::string bytes; Persisted loaded; } cases[] = {
        {"garbage", "[[[\n]]]\n=====\n==3\nKelvo Dara]\n[Kelvo Dara\nGameMode=1\n", kMissingKeyValues},
        {"binary", binary, kMissingKeyValues},
        {"NUL in a value", std::string(nulInValue, sizeof nulInValue - 1), {0, 0, 0, 0, 1, 0, 2, 24}},
        // A value outside its key's list reads as the missing key's value, with a log line.
        {"outside the lists", "[Kelvo Dara]\nGameMode=2\nTurnType=-1\nCheckType=3\nBoardType=3\nMyWhite=5\n"
                              "StarType=3\nDepthBits=8\n", kMissingKeyValues},
        {"outside and inside", "[Kelvo Dara]\nCheckType=7\nBoardType=-1\nMyWhite=-1\nStarType=1\nFullScreen=-9\n"
                               "DepthBits=2147483647\n", {0, 0, 0, 0, 1, 1, 1, 32}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteRaw(c.bytes);
        EXPECT_EQ(c.loaded, LoadFresh());
        ASSERT_TRUE(WithValues(kSample).Save());
        EXPECT_EQ(kSample, LoadFresh());
        EXPECT_TRUE(Alone());
    }
    EXPECT_EQ(m_log.size(), 11u);
}

// Whatever stands in the file's place is neither read nor replaced, and the save says so.
TEST_F(SettingsFile, AFileThatCannotBeReadOrWrittenIsLeftAsItWas) {
    WriteRaw("[Kelvo Dara]\nGameMode=1\n" + std::string(platform::kMaxIniFileBytes - 24, ';'));
    EXPECT_EQ(1, LoadFresh()[0]) << "a file of exactly the size cap is read";
    const std::string overCap = std::string(platform::kMaxIniFileBytes + 1, ';');
    const std::string old = std::string("; ") + std::string(400, 'c') + "\n" + kSampleFile;
    const struct { const char* name; std::function<void()> make; bool bRootReads, bLoadsSample, bLimitSize; } cases[] = {
        {"over the size cap", [&] { WriteRaw(overCap); }, false, false, false},
        {"a folder", [&] { fs::create_directories(File() + "/inside"); }, false, false, false},
        {"a pipe", [&] { fs::create_directories(Folder()), mkfifo(File().c_str(), 0644); }, false, false, false},
        {"unreadable", [&] { WriteRaw(kSampleFile), chmod(File().c_str(), 0); }, true, false, false},
        {"in a read-only folder", [&] { WriteRaw(kSampleFile), chmod(Folder().c_str(), 0555); }, true, true, false},
        {"a write that fails half way", [&] { WriteRaw(old), chmod(File().c_str(), 0600); }, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.bRootReads && geteuid() == 0) continue;  // root reads and writes past the modes
        TearDown(), SetUp(), c.make();
        const std::string before = Snapshot();
        EXPECT_EQ(c.bLoadsSample ? kSample : kMissingKeyValues, LoadFresh());
        EXPECT_EQ(!c.bLoadsSample, Logged());
        m_log.clear();
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 100;  // far below the new text
        auto oldHandler = signal(SIGXFSZ, SIG_IGN);
        if (c.bLimitSize) setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_FALSE(WithValues(kMissingKeyValues).Save());
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, oldHandler);
        EXPECT_TRUE(Logged());
        EXPECT_TRUE(before == Snapshot()) << "the thing in the file's place changed";
        EXPECT_TRUE(Alone());
    }
    ASSERT_TRUE(WithValues(kMissingKeyValues).Save());
    EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
        << "the replaced file keeps its mode";
    fs::remove(File());
    fs::create_directories(File() + "/sub");
    EXPECT_FALSE(platform::WriteFileAtomically(File(), kSampleFile)) << "a rename onto a folder";
    EXPECT_TRUE(fs::is_directory(File() + "/sub"));
}

TEST_F(SettingsFile, AFolderThatCannotBeCreatedFailsTheSaveUntilItCan) {
    std::ofstream(m_root + "/plainfile") << "x";
    setenv("XDG_CONFIG_HOME", (m_root + "/plainfile").c_str(), 1);
    CGameSettings s = WithValues(kSample);
    EXPECT_FALSE(s.Save());
    EXPECT_TRUE(Logged() && s.m_nSaveError != 0);
    EXPECT_EQ(kSample, Values(s)) << "the game goes on with the values it holds";
    setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
    EXPECT_TRUE(s.Save());
    EXPECT_EQ(0, s.m_nSaveError) << "a good save forgets the last failure";
}

}  // namespace
