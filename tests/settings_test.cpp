// The ini reader/writer and the settings file: Windows integer and name rules, foreign lines
// kept byte for byte, and bad files or folders that never crash the game nor lose data.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
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

// The eight persisted values in file order: GameMode, TurnType, CheckType, BoardType,
// MyWhite, FullScreen, StarType, DepthBits.
using Persisted = std::array<int, 8>;
// What a file without our keys loads as: quick game, BY TURN, bone, board 0, white, window,
// no star models, 32 bits.
constexpr Persisted kMissingKeyValues = {0, 0, 0, 0, 1, 0, 2, 32};

Persisted Values(const CGameSettings& s) {
    return {s.GameMode, s.TurnType, s.CheckType, s.BoardType, s.MyWhite, s.FullScreen ? 1 : 0, s.StarType, s.DepthBits};
}

CGameSettings WithValues(const Persisted& v) {
    CGameSettings s;
    s.GameMode = v[0], s.TurnType = v[1], s.CheckType = v[2], s.BoardType = v[3];
    s.MyWhite = v[4], s.FullScreen = v[5] != 0, s.StarType = v[6], s.DepthBits = v[7];
    return s;
}

std::string Show(const Persisted& v) {
    std::string out;
    for (int x : v) out += std::to_string(x) + " ";
    return out;
}

// Makes escapes visible in failure messages.
std::string Quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 32 || c > 126) out += "\\x" + std::to_string(c);
        else out += char(c);
    }
    return out + "\"";
}

Persisted LoadFresh() {
    CGameSettings s;
    s.Load();
    return Values(s);
}

// ---------------------------------------------------------------- text rules

TEST(IniText, IntegerValuesReadLikeGetPrivateProfileInt) {
    struct Case {
        const char* value;
        int expected;
    };
    const int kDefault = 123;
    const Case cases[] = {
        {"12abc", 12}, {"abc", 0}, {"08", 8}, {"0010", 10}, {"-7", -7}, {"+5", 5},
        {"0x10", 16}, {"0X1f", 31}, {"0x1g", 1}, {"0x", 0}, {"-0x10", -16}, {"  42  ", 42},
        {"\t7\t", 7}, {"1 2", 1}, {"- 5", 0}, {"-", 0}, {"=3", 0},
        // Overflow wraps in an unsigned 32-bit accumulator, as GetPrivateProfileIntA does:
        // 99999999999 mod 2^32 = 1215752191.
        {"99999999999", 1215752191}, {"4294967295", -1}, {"4294967296", 0}, {"2147483648", INT_MIN},
        // One pair of matching quotes is dropped; an empty value is the default.
        {"\"5\"", 5}, {"'7'", 7}, {"\"", 0}, {"\"\"", kDefault}, {"", kDefault}, {"   ", kDefault},
    };
    for (const Case& c : cases) {
        std::string text = std::string("[Kelvo Dara]\nGameMode=") + c.value + "\n";
        int actual = GetProfileIntFromText(text, kSection, "GameMode", kDefault);
        EXPECT_EQ(actual, c.expected) << "value " << Quoted(c.value);
    }
}

TEST(IniText, NamesSectionsAndLayout) {
    struct Case {
        const char* text;
        int expected;  // GameMode of "Kelvo Dara", default -1
    };
    const Case cases[] = {
        {"[kelvo dara]\ngamemode=3\n", 3},
        {"[KELVO DARA]\nGAMEMODE=3\n", 3},
        {"  [ Kelvo Dara ]  \n  GameMode  =  3  \n", 3},
        {"[Kelvo Dara]\r\nGameMode=3\r\n", 3},
        {"[Kelvo Dara]\nGameMode=3", 3},
        {"[Kelvo Dara]\nGameMode=3=4\n", 3},
        {"[Kelvo Dara]\nGameMode=\n", -1},
        {"[Kelvo Dara]\nGameMode\n", -1},
        {"[Kelvo Dara]\nGameMode=3\nGameMode=4\n", 3},
        {"[Kelvo Dara]\nGameMode=3\n[Kelvo Dara]\nGameMode=4\n", 3},
        {"[Kelvo Dara]\nTurnType=1\n[kelvo dara]\nGameMode=4\n", -1},
        {"[Other]\nGameMode=3\n", -1},
        {"GameMode=3\n[Kelvo Dara]\n", -1},
        {"[Kelvo Dara]\n[Other]\nGameMode=3\n", -1},
        {"[Kelvo Dara]\n;GameMode=3\n", -1},
        {"[Kelvo Dara]\nGame Mode=3\n", -1},
        {"[Kelvo Dara]\nGameModeX=3\n", -1},
        {"[Kelvo Dara\nGameMode=3\n", -1},
        {"", -1},
    };
    for (const Case& c : cases) {
        int actual = GetProfileIntFromText(c.text, kSection, "GameMode", -1);
        EXPECT_EQ(actual, c.expected) << "text " << Quoted(c.text);
    }
}

TEST(IniText, WriterChangesOnlyTheKeyLine) {
    struct Case {
        const char* before;
        const char* after;  // after setting GameMode=1 in "Kelvo Dara"
    };
    const Case cases[] = {
        {"", "[Kelvo Dara]\nGameMode=1\n"},
        {"[Kelvo Dara]\n", "[Kelvo Dara]\nGameMode=1\n"},
        {"[Kelvo Dara]\ngamemode = 0 \n", "[Kelvo Dara]\nGameMode=1\n"},
        {"[Kelvo Dara]\nGameMode=0\nGameMode=5\n", "[Kelvo Dara]\nGameMode=1\nGameMode=5\n"},
        {"[Kelvo Dara]\nA=1\n\n[Other]\nB=2\n", "[Kelvo Dara]\nA=1\nGameMode=1\n\n[Other]\nB=2\n"},
        {"[Kelvo Dara]\nA=1", "[Kelvo Dara]\nA=1\nGameMode=1\n"},
        {"[Kelvo Dara]\r\nA=1\r\n", "[Kelvo Dara]\r\nA=1\r\nGameMode=1\r\n"},
        {"[Kelvo Dara]\r\nGameMode=0\r\nB=2\n", "[Kelvo Dara]\r\nGameMode=1\r\nB=2\n"},
        {"[Kelvo Dara]\nA=1\n[kelvo dara]\nGameMode=0\n", "[Kelvo Dara]\nA=1\nGameMode=1\n[kelvo dara]\nGameMode=0\n"},
        {"; top\n[Kelvo Dara]\n; note\nGameMode=0 ; old\n", "; top\n[Kelvo Dara]\n; note\nGameMode=1\n"},
        {"[Other]\nB=2\n", "[Other]\nB=2\n\n[Kelvo Dara]\nGameMode=1\n"},
        {"[Other]\nB=2", "[Other]\nB=2\n\n[Kelvo Dara]\nGameMode=1\n"},
        {"[Other]\r\nB=2\r\n", "[Other]\r\nB=2\r\n\r\n[Kelvo Dara]\r\nGameMode=1\r\n"},
    };
    for (const Case& c : cases) {
        std::string actual = SetProfileStringInText(c.before, kSection, "GameMode", "1");
        EXPECT_EQ(Quoted(actual), Quoted(c.after)) << "before " << Quoted(c.before);
        EXPECT_EQ(GetProfileIntFromText(actual, kSection, "GameMode", -1), 1) << "before " << Quoted(c.before);
    }
}

// ---------------------------------------------------------------- files

// Each test gets its own config folder and captures the log.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kd_settings_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_oldConfigHome = old;
        setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
        platform::SetLogSink([this](const std::string& line) { m_log.push_back(line); });
    }
    void TearDown() override {
        platform::SetLogSink({});
        if (m_oldConfigHome) setenv("XDG_CONFIG_HOME", m_oldConfigHome->c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
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
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(Folder(), ec)) names.push_back(e.path().filename().string());
        return names;
    }
    // True when some log line names the settings folder (or the file in it).
    bool Logged() const {
        for (const std::string& line : m_log)
            if (line.find(platform::ConfigDir()) != std::string::npos) return true;
        return false;
    }

    std::string m_root;
    std::optional<std::string> m_oldConfigHome;
    std::vector<std::string> m_log;
};

const Persisted kSample = {1, 1, 2, 1, 0, 1, 1, 16};
const char* const kSampleFile =
    "[Kelvo Dara]\nGameMode=1\nTurnType=1\nCheckType=2\nBoardType=1\nMyWhite=0\nFullScreen=1\nStarType=1\nDepthBits=16\n";

TEST_F(SettingsFile, NoFileGivesTheMissingKeyValues) {
    EXPECT_EQ(File(), m_root + "/kelvodara/kelvodara.ini");
    CGameSettings s;  // the constructor says full screen and board 2: the missing keys win
    s.Load();
    EXPECT_EQ(Show(Values(s)), Show(kMissingKeyValues));
    EXPECT_TRUE(m_log.empty()) << "a first start is not an error";
    EXPECT_FALSE(fs::exists(File())) << "loading creates nothing";
}

TEST_F(SettingsFile, SavedFileHoldsExactlyTheEightKeysInOrder) {
    ASSERT_TRUE(WithValues(kSample).Save());
    EXPECT_EQ(Quoted(ReadRaw()), Quoted(kSampleFile));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelvodara.ini"}) << "no temp file left";
    EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
}

TEST_F(SettingsFile, SaveThenLoadGivesBackTheValues) {
    const Persisted records[] = {
        kMissingKeyValues,
        kSample,
        {1, 0, 1, 2, 1, 1, 0, 24},
    };
    for (const Persisted& r : records) {
        ASSERT_TRUE(WithValues(r).Save());
        std::string first = ReadRaw();
        EXPECT_EQ(Show(LoadFresh()), Show(r));
        ASSERT_TRUE(WithValues(r).Save());
        EXPECT_EQ(Quoted(ReadRaw()), Quoted(first)) << "saving the same values twice changes nothing";
    }
}

TEST_F(SettingsFile, AnyNonZeroFullScreenLoadsTrueAndSavesAsOne) {
    WriteRaw("[Kelvo Dara]\nFullScreen=5\n");
    CGameSettings s;
    s.Load();
    EXPECT_TRUE(s.FullScreen);
    ASSERT_TRUE(s.Save());
    std::string text = ReadRaw();
    EXPECT_EQ(text.find("FullScreen=5"), std::string::npos) << Quoted(text);
    EXPECT_EQ(text.rfind("[Kelvo Dara]\nFullScreen=1\n", 0), 0u) << Quoted(text);
}

TEST_F(SettingsFile, ForeignLinesAreKeptByteForByte) {
    WriteRaw("; written by hand\r\n[Video]\r\nGamma = 1.2 \r\n\r\n[Kelvo Dara]\r\nGameMode=0\r\nNickname=Ann\r\n"
             "  turntype = 0\r\n; keep me\r\n\r\n[Audio]\r\nVolume=7\r\n");
    ASSERT_TRUE(WithValues(kSample).Save());
    EXPECT_EQ(Quoted(ReadRaw()),
              Quoted("; written by hand\r\n[Video]\r\nGamma = 1.2 \r\n\r\n[Kelvo Dara]\r\nGameMode=1\r\nNickname=Ann\r\n"
                     "TurnType=1\r\n; keep me\r\nCheckType=2\r\nBoardType=1\r\nMyWhite=0\r\nFullScreen=1\r\n"
                     "StarType=1\r\nDepthBits=16\r\n\r\n[Audio]\r\nVolume=7\r\n"));
    EXPECT_EQ(Show(LoadFresh()), Show(kSample));
}

TEST_F(SettingsFile, OddFilesLoadWithoutHarmAndSaveWithoutLoss) {
    const char nulInValue[] = "[Kelvo Dara]\nDepthBits=24\0" "6\n";
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += char((i * 37 + 11) & 0xff);  // every byte value, NULs included
    struct Case {
        const char* name;
        std::string bytes;
        Persisted loaded;
        bool bKeptAsPrefix;  // no section of ours: the save appends and keeps every byte before
    };
    const Case cases[] = {
        {"empty", "", kMissingKeyValues, true},
        {"garbage", "[[[\n]]]\n=====\n==3\nKelvo Dara]\n[Kelvo Dara\nGameMode=1\n", kMissingKeyValues, true},
        {"binary", binary, kMissingKeyValues, true},
        {"other section only", "[Other]\nGameMode=1\nDepthBits=16\n", kMissingKeyValues, true},
        {"CRLF", "[Kelvo Dara]\r\nGameMode=1\r\nDepthBits=16\r\n", {1, 0, 0, 0, 1, 0, 2, 16}, false},
        {"duplicated keys", "[Kelvo Dara]\nDepthBits=16\nDepthBits=24\n", {0, 0, 0, 0, 1, 0, 2, 16}, false},
        {"duplicated section", "[Kelvo Dara]\nDepthBits=16\n[Kelvo Dara]\nMyWhite=0\n", {0, 0, 0, 0, 1, 0, 2, 16}, false},
        {"NUL in a value", std::string(nulInValue, sizeof nulInValue - 1), {0, 0, 0, 0, 1, 0, 2, 24}, false},
        // A value outside its key's list reads as the missing key's value, with a log line.
        {"outside the lists", "[Kelvo Dara]\nGameMode=2\nTurnType=-1\nCheckType=-3\nBoardType=3\nMyWhite=5\n"
                              "StarType=3\nDepthBits=8\n", kMissingKeyValues, false},
        {"outside and inside", "[Kelvo Dara]\nCheckType=7\nBoardType=-1\nMyWhite=-1\nStarType=1\nFullScreen=-9\n"
                               "DepthBits=2147483647\n", {0, 0, 0, 0, 1, 1, 1, 32}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteRaw(c.bytes);
        EXPECT_EQ(Show(LoadFresh()), Show(c.loaded));
        ASSERT_TRUE(WithValues(kSample).Save());
        EXPECT_EQ(Show(LoadFresh()), Show(kSample));
        if (c.bKeptAsPrefix) {
            EXPECT_EQ(ReadRaw().compare(0, c.bytes.size(), c.bytes), 0);
        }
        EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelvodara.ini"});
    }
    EXPECT_EQ(m_log.size(), 11u);
}

TEST_F(SettingsFile, FileOverTheCapIsRefusedAndLeftAlone) {
    const std::string head = "[Kelvo Dara]\nGameMode=1\n;";
    std::string atCap = head + std::string(platform::kMaxIniFileBytes - head.size() - 1, 'x') + "\n";
    ASSERT_EQ(atCap.size(), platform::kMaxIniFileBytes);
    WriteRaw(atCap);
    EXPECT_EQ(LoadFresh()[0], 1) << "a file of exactly the cap is read";

    const std::string overCap = atCap + "\n";
    WriteRaw(overCap);
    std::string text;
    EXPECT_FALSE(platform::ReadTextFile(File(), text));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_EQ(Show(LoadFresh()), Show(kMissingKeyValues));
    EXPECT_TRUE(Logged());
    m_log.clear();
    EXPECT_FALSE(WithValues(kSample).Save());
    EXPECT_TRUE(Logged());
    EXPECT_TRUE(ReadRaw() == overCap) << "the big file must not be replaced";
}

TEST_F(SettingsFile, FolderInPlaceOfTheFile) {
    fs::create_directories(File());
    std::ofstream(File() + "/inside") << "keep";
    EXPECT_EQ(Show(LoadFresh()), Show(kMissingKeyValues));
    EXPECT_TRUE(Logged());
    m_log.clear();
    EXPECT_FALSE(WithValues(kSample).Save());
    EXPECT_TRUE(Logged());
    EXPECT_TRUE(fs::is_directory(File()));
    EXPECT_TRUE(fs::exists(File() + "/inside"));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelvodara.ini"});
}

TEST_F(SettingsFile, PipeInPlaceOfTheFileDoesNotHang) {
    fs::create_directories(Folder());
    ASSERT_EQ(mkfifo(File().c_str(), 0644), 0);
    EXPECT_EQ(Show(LoadFresh()), Show(kMissingKeyValues));
    EXPECT_TRUE(Logged());
    EXPECT_FALSE(WithValues(kSample).Save());
    EXPECT_TRUE(fs::is_fifo(File()));
}

TEST_F(SettingsFile, UnreadableFileIsNeitherReadNorReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads a chmod 000 file";
    WriteRaw(kSampleFile);
    ASSERT_EQ(chmod(File().c_str(), 0), 0);
    EXPECT_EQ(Show(LoadFresh()), Show(kMissingKeyValues));
    EXPECT_TRUE(Logged());
    EXPECT_FALSE(WithValues(kMissingKeyValues).Save());
    ASSERT_EQ(chmod(File().c_str(), 0644), 0);
    EXPECT_EQ(Quoted(ReadRaw()), Quoted(kSampleFile));
}

TEST_F(SettingsFile, FolderThatCannotBeCreated) {
    std::ofstream(m_root + "/plainfile") << "x";
    setenv("XDG_CONFIG_HOME", (m_root + "/plainfile").c_str(), 1);
    EXPECT_EQ(Show(LoadFresh()), Show(kMissingKeyValues));
    CGameSettings s = WithValues(kSample);
    EXPECT_FALSE(s.Save());
    EXPECT_TRUE(Logged());
    EXPECT_EQ(Show(Values(s)), Show(kSample)) << "the game goes on with the values it holds";
}

TEST_F(SettingsFile, ReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into a chmod 555 folder";
    WriteRaw(kSampleFile);
    ASSERT_EQ(chmod(Folder().c_str(), 0555), 0);
    EXPECT_FALSE(WithValues(kMissingKeyValues).Save());
    EXPECT_TRUE(Logged());
    EXPECT_EQ(Quoted(ReadRaw()), Quoted(kSampleFile));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelvodara.ini"});
}

// A write that fails half way (here: the file size limit) leaves the old file and no temp file.
TEST_F(SettingsFile, FailedWriteLeavesTheOldFileIntact) {
    const std::string old = std::string("; ") + std::string(400, 'c') + "\n" + kSampleFile;
    WriteRaw(old);
    ASSERT_EQ(chmod(File().c_str(), 0600), 0);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 100;  // far below the new text
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool bSaved = WithValues(kMissingKeyValues).Save();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(bSaved);
    EXPECT_TRUE(Logged());
    EXPECT_TRUE(ReadRaw() == old);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelvodara.ini"});

    ASSERT_TRUE(WithValues(kMissingKeyValues).Save());
    EXPECT_EQ(fs::status(File()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
        << "the replaced file keeps its mode";
}

TEST_F(SettingsFile, RenameOntoAFolderFailsCleanly) {
    fs::create_directories(File() + "/sub");
    EXPECT_FALSE(platform::WriteFileAtomically(File(), kSampleFile));
    EXPECT_TRUE(fs::is_directory(File() + "/sub"));
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"kelvodara.ini"});
}

}  // namespace
