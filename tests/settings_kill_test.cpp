// Saving the settings file survives a kill at any moment: a child process saves in a loop
// and is SIGKILLed at a random time; the file must then be exactly the last version saved
// or the one being saved, never torn or empty, and leftover temporary files must not pile
// up. Single-threaded parent; each child only saves and reports its progress.
//
// KD_KILL_ROUNDS in the environment sets the number of kills: the suite makes 100 (each
// save syncs the disk, so 1,000 take longer than a suite test should); tests/settings_kill_long.sh
// runs 1,000.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/game_settings.h"
#include "platform/log.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDefaultRounds = 100;
constexpr int kTimingSaves = 20;             // saves timed to size the random kill delay
constexpr int kDelaySpanInSaves = 3;         // kills fall within this many saves of the loop's start
constexpr auto kChildStartLimit = std::chrono::seconds(10);
constexpr int kChildSaveFailed = 3;          // exit code of a child whose Save returned false
constexpr double kMinShareKilledMidSave = 0.1;  // below this the kills missed the hazard
constexpr const char* kFileName = "kelvodara.ini";
// Lines of the user's own that every save must keep.
constexpr const char* kForeignLines = "; written by the player\n[Other]\nKeep=1\n\n";

// Progress of the saving child, in memory shared with the parent.
struct SProgress {
    std::atomic<long> nStarted;  // version whose save has begun
    std::atomic<long> nSaved;    // last version whose Save returned
};
static_assert(std::atomic<long>::is_always_lock_free, "the progress is shared across processes");

// Version v of the eight persisted values, each within its list: every key changes within a
// few versions, GameMode at each, so a version never reads like the one before.
CGameSettings Version(long v) {
    CGameSettings s;
    s.GameMode = int(v % 2);
    s.TurnType = int(v / 2 % 2);
    s.CheckType = int(v % 3);
    s.BoardType = int(v / 3 % 3);
    s.MyWhite = int(v / 5 % 2);
    s.FullScreen = v / 7 % 2 != 0;
    s.StarType = int(v / 11 % 3);
    s.DepthBits = (v / 13 % 2) ? 16 : 32;
    return s;
}

bool SameValues(const CGameSettings& a, const CGameSettings& b) {
    return a.GameMode == b.GameMode && a.TurnType == b.TurnType && a.CheckType == b.CheckType &&
           a.BoardType == b.BoardType && a.MyWhite == b.MyWhite && a.FullScreen == b.FullScreen &&
           a.StarType == b.StarType && a.DepthBits == b.DepthBits;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int Rounds() {
    const char* text = std::getenv("KD_KILL_ROUNDS");
    const int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : kDefaultRounds;
}

class SettingsKill : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kd_kill_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_oldConfigHome = old;
        platform::SetLogSink([this](const std::string& line) { m_log.push_back(line); });
        void* shared = mmap(nullptr, sizeof(SProgress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        ASSERT_NE(shared, MAP_FAILED);
        m_progress = new (shared) SProgress{};
    }
    void TearDown() override {
        if (m_progress) munmap(m_progress, sizeof(SProgress));
        platform::SetLogSink({});
        if (m_oldConfigHome.empty()) unsetenv("XDG_CONFIG_HOME");
        else setenv("XDG_CONFIG_HOME", m_oldConfigHome.c_str(), 1);
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    // The config folder the next Save and Load use: the one under test, or the reference.
    void UseConfig(const std::string& name) { setenv("XDG_CONFIG_HOME", (m_root + "/" + name).c_str(), 1); }
    std::string Folder(const std::string& name) const { return m_root + "/" + name + "/kelvodara"; }

    // Text of a complete save of version v over the starting file, made by the real Save
    // in a reference folder of its own.
    const std::string& ExpectedText(long v) {
        auto it = m_expected.find(v);
        if (it != m_expected.end()) return it->second;
        UseConfig("reference");
        EXPECT_TRUE(Version(v).Save());
        UseConfig("game");
        return m_expected[v] = ReadAll(Folder("reference") + "/" + kFileName);
    }

    // Entries of the game's folder other than the settings file.
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> names;
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(Folder("game"), ec))
            if (e.path().filename() != kFileName) names.push_back(e.path().filename().string());
        return names;
    }

    std::string m_root, m_oldConfigHome;
    std::vector<std::string> m_log;
    SProgress* m_progress = nullptr;
    std::map<long, std::string> m_expected;
};

TEST_F(SettingsKill, AKilledSaveLeavesTheOldOrTheNewFile) {
    for (const char* name : {"game", "reference"}) {
        fs::create_directories(Folder(name));
        std::ofstream(Folder(name) + "/" + kFileName, std::ios::binary) << kForeignLines;
    }
    UseConfig("game");
    const std::string path = CGameSettings::FilePath();
    ASSERT_EQ(path, Folder("game") + "/" + kFileName);

    // Version 0 is on disk before the first child; timing saves move on from there.
    long nLast = 0;
    ASSERT_TRUE(Version(nLast).Save());
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kTimingSaves; ++i) ASSERT_TRUE(Version(++nLast).Save());
    const auto saveTime = (std::chrono::steady_clock::now() - t0) / kTimingSaves;
    const auto delaySpan = std::chrono::duration_cast<std::chrono::microseconds>(saveTime * kDelaySpanInSaves);
    std::mt19937 random(20240601u);
    std::uniform_int_distribution<long> delay(0, std::max<long>(1, delaySpan.count()));

    const int nRounds = Rounds();
    int nKills = 0, nTorn = 0, nMidSave = 0, nNewAfterKill = 0;
    size_t nMostLeftovers = 0;
    for (int round = 0; round < nRounds; ++round) {
        m_progress->nStarted = nLast;
        m_progress->nSaved = nLast;
        const pid_t pid = fork();
        ASSERT_GE(pid, 0) << "fork failed";
        if (pid == 0) {
            platform::SetLogSink([](const std::string& line) { fputs(line.c_str(), stderr); });
            for (long v = nLast + 1;; ++v) {
                m_progress->nStarted = v;
                if (!Version(v).Save()) _exit(kChildSaveFailed);
                m_progress->nSaved = v;
            }
        }
        // Kill within the saving loop: wait for the first save to begin, then a random while.
        const auto deadline = std::chrono::steady_clock::now() + kChildStartLimit;
        while (m_progress->nStarted == nLast && std::chrono::steady_clock::now() < deadline) {
        }
        const auto killAt = std::chrono::steady_clock::now() + std::chrono::microseconds(delay(random));
        while (std::chrono::steady_clock::now() < killAt) {
        }
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "round " << round << ": the child ended by itself, status " << status;
        ++nKills;

        const long nSaved = m_progress->nSaved, nStarted = m_progress->nStarted;
        ASSERT_GT(nStarted, nLast) << "round " << round << ": the child never began a save";
        const bool bMidSave = nStarted != nSaved;
        nMidSave += bMidSave ? 1 : 0;
        const std::string text = ReadAll(path);
        CGameSettings loaded;
        loaded.Load();
        const bool bOld = text == ExpectedText(nSaved) && SameValues(loaded, Version(nSaved));
        const bool bNew = bMidSave && text == ExpectedText(nStarted) && SameValues(loaded, Version(nStarted));
        if (!bOld && !bNew) {
            ++nTorn;
            ADD_FAILURE() << "round " << round << ": killed while saving version " << nStarted << " after version "
                          << nSaved << "; the file (" << text.size() << " bytes) is neither:\n"
                          << text << "\nexpected old:\n" << ExpectedText(nSaved);
        }
        nNewAfterKill += bNew ? 1 : 0;
        nLast = bNew ? nStarted : nSaved;

        const std::vector<std::string> leftovers = Leftovers();
        nMostLeftovers = std::max(nMostLeftovers, leftovers.size());
        if (leftovers.size() > 1) {
            ADD_FAILURE() << "round " << round << ": " << leftovers.size() << " files beside the settings, e.g. "
                          << leftovers.front();
            break;
        }
        if (nTorn > 0) break;
    }
    std::printf("kills %d, torn files %d, killed mid-save %d (of which the new file was in place %d), "
                "most leftover temporary files %zu, save time %lld us\n",
                nKills, nTorn, nMidSave, nNewAfterKill, nMostLeftovers,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count()));
    EXPECT_EQ(nTorn, 0);
    EXPECT_LE(nMostLeftovers, 1u);
    // Kills that never hit a save in progress would prove nothing.
    EXPECT_GE(nMidSave, int(kMinShareKilledMidSave * nKills)) << "the kills missed the saves";
    EXPECT_TRUE(m_log.empty()) << "the parent's saves logged: " << (m_log.empty() ? "" : m_log.front());
}

// The temporary file of a process killed while saving is removed by the next save; that of
// a process still running (its save may be under way) is left alone, and so is anything
// that only looks like one.
TEST_F(SettingsKill, NextSaveRemovesOnlyTheTemporaryFilesOfDeadProcesses) {
    fs::create_directories(Folder("game"));
    UseConfig("game");
    const pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    const std::string base = Folder("game") + "/" + kFileName;
    struct Case {
        std::string name;
        bool bRemoved;
    };
    const std::vector<Case> cases = {
        {std::string(kFileName) + ".tmp." + std::to_string(dead) + ".a1B2c3", true},
        {std::string(kFileName) + ".tmp." + std::to_string(getppid()) + ".d4E5f6", false},  // our runner lives
        {std::string(kFileName) + ".tmp.notapid", false},
        {std::string(kFileName) + ".tmp." + std::to_string(dead), false},  // not our pattern
        {"other.ini.tmp." + std::to_string(dead) + ".g7H8i9", false},     // another file's
    };
    for (const Case& c : cases) std::ofstream(Folder("game") + "/" + c.name) << "half a save";
    ASSERT_TRUE(Version(1).Save());
    for (const Case& c : cases)
        EXPECT_EQ(fs::exists(Folder("game") + "/" + c.name), !c.bRemoved)
            << c.name << ": expected " << (c.bRemoved ? "removed" : "kept");
    CGameSettings loaded;
    loaded.Load();
    EXPECT_TRUE(SameValues(loaded, Version(1)));
}

}  // namespace
