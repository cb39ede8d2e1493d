// Saving the settings file survives a kill at any moment: a child process saves in a loop and
// is SIGKILLed at a random time; the file must then be exactly the last version saved or the one
// being saved, never torn, and leftover temporary files must not pile up. KD_KILL_ROUNDS sets the
// number of kills (100 here; tests/settings_kill_long.sh runs 1,000).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "core/game_settings.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kFileName = "kelvodara.ini";

// Progress of the saving child, in memory shared with the parent.
struct SProgress {
    std::atomic<long> nStarted;  // version whose save has begun
    std::atomic<long> nSaved;    // last version whose Save returned
};
static_assert(std::atomic<long>::is_always_lock_free, "the progress is shared across processes");

// Version v of the persisted values: GameMode changes at each, so no version reads like the last.
CGameSettings Version(long v) {
    CGameSettings s;
    s.GameMode = int(v % 2), s.TurnType = int(v / 2 % 2), s.CheckType = int(v % 3), s.BoardType = int(v / 3 % 3);
    s.MyWhite = int(v / 5 % 2), s.FullScreen = v / 7 % 2 != 0, s.DepthBits = (v / 13 % 2) ? 16 : 32;
    return s;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SettingsKill : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kd_kill_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_root = tmpl;
        for (const char* name : {"/game", "/reference"}) {
            fs::create_directories(m_root + name + "/kelvodara");
            std::ofstream(m_root + name + "/kelvodara/" + kFileName) << "; written by the player\n[Other]\nKeep=1\n\n";
        }
        Use("/game");
    }
    void TearDown() override { fs::remove_all(m_root); }
    void Use(const char* name) { setenv("XDG_CONFIG_HOME", (m_root + name).c_str(), 1); }
    // The text a complete save of version v leaves, made by the real Save in a folder of its own.
    const std::string& Expected(long v) {
        if (!m_texts.count(v)) {
            Use("/reference");
            EXPECT_TRUE(Version(v).Save());
            m_texts[v] = ReadAll(CGameSettings::FilePath());
            Use("/game");
        }
        return m_texts[v];
    }
    std::string m_root;
    std::map<long, std::string> m_texts;
};

TEST_F(SettingsKill, AKilledSaveLeavesTheOldOrTheNewFile) {
    void* shared = mmap(nullptr, sizeof(SProgress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(MAP_FAILED, shared);
    auto* progress = new (shared) SProgress{};
    const std::string path = CGameSettings::FilePath();
    const char* rounds = std::getenv("KD_KILL_ROUNDS");
    const int nRounds = rounds && std::atoi(rounds) > 0 ? std::atoi(rounds) : 100;
    const auto t0 = Clock::now();
    for (long v = 0; v <= 20; ++v) ASSERT_TRUE(Version(v).Save());
    const auto saveTime = (Clock::now() - t0) / 21;
    std::mt19937 random(20240601u);
    std::uniform_int_distribution<long> delay(0, std::chrono::duration_cast<std::chrono::microseconds>(3 * saveTime).count() + 1);
    long nLast = 20;
    int nMidSave = 0;
    for (int round = 0; round < nRounds; ++round) {
        progress->nStarted = progress->nSaved = nLast;
        const pid_t pid = fork();
        ASSERT_GE(pid, 0) << "fork failed";
        if (pid == 0) {
            for (long v = nLast + 1;; ++v) {
                progress->nStarted = v;
                if (!Version(v).Save()) _exit(3);
                progress->nSaved = v;
            }
        }
        // Kill within the saving loop: wait for the first save to begin, then a random while.
        for (const auto limit = Clock::now() + std::chrono::seconds(10); progress->nStarted == nLast && Clock::now() < limit;) {
        }
        for (const auto killAt = Clock::now() + std::chrono::microseconds(delay(random)); Clock::now() < killAt;) {
        }
        ASSERT_EQ(kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the child ended by itself, status " << status;
        const long nSaved = progress->nSaved, nStarted = progress->nStarted;
        ASSERT_GT(nStarted, nLast) << "round " << round << ": the child never began a save";
        nMidSave += nStarted != nSaved;
        const std::string text = ReadAll(path);
        ASSERT_TRUE(text == Expected(nSaved) || text == Expected(nStarted))
            << "round " << round << ": killed while saving version " << nStarted << " after " << nSaved << ":\n" << text;
        nLast = text == Expected(nSaved) ? nSaved : nStarted;
        int nFiles = 0;
        for (const auto& e : fs::directory_iterator(fs::path(path).parent_path())) nFiles += e.is_regular_file();
        ASSERT_LE(nFiles, 2) << "round " << round << ": temporary files pile up";
    }
    // Kills that never hit a save in progress would prove nothing.
    EXPECT_GE(nMidSave, nRounds / 10) << "the kills missed the saves";
    munmap(progress, sizeof(SProgress));
}

// The temporary file of a process killed while saving is removed by the next save; that of a
// process still running is left alone, and so is anything that only looks like one.
TEST_F(SettingsKill, NextSaveRemovesOnlyTheTemporaryFilesOfDeadProcesses) {
    const pid_t dead = fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    const std::string tmp = CGameSettings::FilePath() + ".tmp.";
    const std::pair<std::string, bool> cases[] = {
        {tmp + std::to_string(dead) + ".a1B2c3", true}, {tmp + std::to_string(getppid()) + ".d4E5f6", false},
        {tmp + "notapid", false}, {tmp + std::to_string(dead), false},
        {m_root + "/game/kelvodara/other.ini.tmp." + std::to_string(dead) + ".g7H8i9", false},
    };
    for (const auto& [name, bRemoved] : cases) std::ofstream(name) << "half a save";
    ASSERT_TRUE(Version(1).Save());
    for (const auto& [name, bRemoved] : cases) EXPECT_NE(bRemoved, fs::exists(name)) << name;
}

}  // namespace
