// The match record: its text gives back the very bits written, a damaged record is refused with
// the file and line, the folder keeps the newest matches, and whole recorded matches play again
// to the same position after every flick.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "ai/kick_ai.h"
#include "core/game_settings.h"
#include "game/layout.h"
#include "game/campaign_state.h"
#include "game/match_logic.h"
#include "game/record_check.h"
#include "game/replay_driver.h"
#include "game/replay_store.h"
#include "physics/desk_hash.h"
#include "physics/flick_simulation.h"
#include "physics/kick_physics.h"
#include "platform/crt_rand.h"
#include "tests/support/log_capture.h"

namespace {

namespace fs = std::filesystem;

fs::path TempDir(const char* name) {
    const fs::path dir = fs::temp_directory_path() / (std::string(name) + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A small record with odd floats: -0.0, the smallest and largest denormals, 1.5 and near the cap.
SMatchRecord SampleRecord() {
    auto f = [](uint32_t bits) { return std::bit_cast<float>(bits); };
    return {.program = ProgramVersion(), .settings = {2, 1, 1, 1, 2, 3, 2}, .nRandState = 0xdeadbeef,
            .sets = {{0, 0, {{1, 3, {f(0x3fc00000), f(0x80000000), f(0x3f800000), f(0x80000001), f(0x007fffff)}, 0x5fc8dc6c7f89cca0}}},
                     {2, 1, {{2, 19, {f(0x413fffff), f(0x00000001), f(0x3f19999a), f(0xbf4ccccd), 0}, 1}}}}};
}

TEST(MatchRecord, TextGivesBackEveryBitAndDamagedRecordsAreRefusedWithFileAndLine) {
    const std::string good = FormatRecord(SampleRecord());
    SMatchRecord back;
    std::string error;
    ASSERT_TRUE(ParseRecord(good, "r.kdr", ProgramVersion(), back, error)) << error << "\n" << good;
    EXPECT_EQ(good, FormatRecord(back)) << "the text holds every field as its bits";
    std::string manySets;
    for (int i = 0; i <= kMaxRecordSets; ++i) manySets += "set white=0 black=0\n";
    const std::string version = ProgramVersion();
    // The damage; an empty replacement cuts the text there.
    const struct { std::string find, replace, expected; } cases[] = {
        {"KELVODARA-MATCH 1", "KELVODARA-MATCHES 1", "r.kdr:1: not a match record"},
        {"KELVODARA-MATCH 1", "KELVODARA-MATCH 2", "r.kdr:1: format version 2, this program reads version 1"},
        {"program=" + version, "program=0.0.0-old", "r.kdr:2: recorded by version 0.0.0-old, this is version " + version},
        {"players=3", "players=2", "r.kdr:8: players 2 is not one of 1, 3"},
        {"level=", "", "r.kdr:7: the record ends before its settings are complete"},
        {"set white=2 black=1", "set white=2 black=5", "r.kdr:13: black shift 5 is not 0..4"},
        {"draught=3", "draught=20", "r.kdr:12: draught 20 is not 0..19"},
        {"side=1", "side=3", "r.kdr:12: side 3 does not exist"},
        {"vx=0x3fc00000", "vx=0x7fc00000", "r.kdr:12: vx is not a finite number"},
        {"vx=0x3fc00000", "vx=0x41500000", "r.kdr:12: launch speed 13 is faster than any flick (12)"},
        {" dy=", "", "r.kdr:12: expected a flick with side, draught, 5 launch values and hash"},
        {"# 1.5", "#" + std::string(kMaxRecordLineBytes, 'x'), "r.kdr:12: the line is longer than 256 bytes"},
        {"set white=0 black=0\n", manySets, "r.kdr:111: more than 100 sets"},
        {"set white=0 black=0\n", "# none\n", "r.kdr:12: a flick before the first set"},
    };
    for (const auto& c : cases) {
        const size_t at = good.find(c.find);
        ASSERT_NE(std::string::npos, at) << c.find;
        std::string bad = good;
        if (c.replace.empty()) bad.resize(at);
        else bad.replace(at, c.find.size(), c.replace);
        EXPECT_FALSE(ParseRecord(bad, "r.kdr", version, back, error)) << c.expected;
        EXPECT_EQ(c.expected, error);
    }
}

TEST(MatchRecord, FolderKeepsTheNewestMatchesAndNeverStopsOnFailure) {
    const fs::path dir = TempDir("kd_replays");
    const std::time_t t0 = 1700000000;
    for (int i = 0; i < kKeptReplays + 3; ++i) std::ofstream(dir / ReplayFileName(t0 + i * 3600, 0)) << "x";
    std::ofstream(dir / "notes.txt") << "x";
    CReplayWriter a, b;  // two matches in the same second: the newest two names
    ASSERT_TRUE(a.Open(dir.string(), t0 + 999999, SampleRecord()) && b.Open(dir.string(), t0 + 999999, SampleRecord()));
    EXPECT_NE(a.Path(), b.Path());
    EXPECT_EQ(kKeptReplays + 1, std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    for (int i = 0; i <= 5; ++i) EXPECT_EQ(i == 5, fs::exists(dir / ReplayFileName(t0 + i * 3600, 0))) << i;
    CLogCapture log;
    CReplayWriter broken;
    EXPECT_FALSE(broken.Open((dir / "notes.txt" / "replays").string(), t0, SampleRecord()));
    broken.BeginSet(0, 0);
    broken.AddFlick(SampleRecord().sets[0].flicks[0]);
    EXPECT_EQ(1, log.CountContaining("Match record:"));
    fs::remove_all(dir);
}

// A quick game of the computer against itself, flicked and simulated as in play and recorded
// into a file in dir; after each flick the file reads back as the flicks so far.
SMatchRecord PlayRecordedGame(int nBoard, int nRule, const fs::path& dir) {
    CGameSettings s;
    s.BoardType = s.CheckType = nBoard;
    s.TurnType = nRule;
    SMatchRecord read{.program = ProgramVersion(), .settings = RecordSettingsOf(s), .nRandState = platform::GetRandState(), .sets = {}};
    CReplayWriter writer;
    EXPECT_TRUE(writer.Open(dir.string(), std::time(nullptr), read));
    writer.BeginSet(0, 0);
    CDesk desk;
    desk.SetSettings(&s);
    CGLObject white, black;
    BuildLayout(desk, 0, 0, white, black);
    const SPhysicsConstants k;
    int nSide = SIDE_WHITE, nWhite = kChecksPerSide, nBlack = kChecksPerSide;
    for (size_t n = 1; nWhite > 0 && nBlack > 0 && n <= size_t(kMaxRecordFlicksPerSet); ++n) {
        ai::SCompMove move;
        if (!ai::ComputeCompMove(k, s, desk, nSide, {}, 1, move)) break;
        ai::WriteCompMove(move, s, desk);
        const SFlickLaunch launch = TakeLaunch(desk.m_aChecks[move.nCheck]);
        KeepFlickOutcome(RunFlick(k, MakeFlickInput(s), move.nCheck, desk, s.m_aMovers, true, nullptr), s);
        writer.AddFlick({nSide, move.nCheck, launch, RestPositionHash(desk)});
        std::string error;
        if (!ReadRecordFile(writer.Path(), ProgramVersion(), read, error) || read.sets.size() != 1 || read.sets[0].flicks.size() != n) {
            ADD_FAILURE() << "after flick " << n << ": " << error;
            break;
        }
        desk.CountOnDesk(nWhite, nBlack);
        if (!KeepsMove(nRule, nSide, s.m_nKnockedWhite, s.m_nKnockedBlack)) nSide = OtherSide(nSide);
    }
    EXPECT_TRUE(nWhite == 0 || nBlack == 0) << "the game did not end";
    return read;
}

// Plays each flick at once on its own position, as the window's flick thread and playback would.
struct SFakeReplayHost : IReplayHost {
    CGameSettings s;
    CDesk desk;
    CGLObject white, black;
    const SRecordFlick* pFlick = nullptr;
    std::string text, error;
    bool bEnded = false;
    void ShowSet(const SRecordSettings& r, int nWhite, int nBlack) override {
        ApplyRecordSettings(r, s);
        desk.SetSettings(&s);
        BuildLayout(desk, nWhite, nBlack, white, black);
    }
    void PlayFlick(const SRecordFlick& f) override { pFlick = &f; }
    uint64_t FinishFlickAtOnce() override {
        ApplyLaunch(pFlick->launch, pFlick->nCheck, desk, s);
        KeepFlickOutcome(RunFlick(SPhysicsConstants{}, MakeFlickInput(s), pFlick->nCheck, desk, s.m_aMovers, true, nullptr), s);
        pFlick = nullptr;
        return RestPositionHash(desk);
    }
    void PauseFlick(bool) override {}
    void ShowText(const std::string& t) override { text = t; }
    void Ended(const std::string& e) override { bEnded = true, error = e; }
};

// The check and the replay of a recorded game both follow it to every hash and stop at the
// flick whose position differs.
TEST(MatchRecord, ARecordedGamePlaysAgainToEveryHashAndStopsAtTheLineThatDiffers) {
    const fs::path dir = TempDir("kd_replay_driver");
    SMatchRecord r = PlayRecordedGame(BOARD_ROUND, TURN_TO_A_MISS, dir);
    ASSERT_EQ(1u, r.sets.size());
    int nPlayed = 0;
    std::string error;
    EXPECT_TRUE(CheckRecordPlays(r, "g.kdr", nPlayed, error)) << error;
    EXPECT_EQ(int(r.sets[0].flicks.size()), nPlayed);
    SMatchRecord wrong = r;
    SRecordFlick& last = wrong.sets[0].flicks.back();
    last.nHash ^= 1;
    EXPECT_FALSE(CheckRecordPlays(wrong, "g.kdr", nPlayed, error));
    EXPECT_EQ(int(r.sets[0].flicks.size()) - 1, nPlayed);
    EXPECT_EQ("g.kdr:" + std::to_string(last.nLine) + ": the flick ends at position", error.substr(0, error.find(" 0x")));
    r.sets.push_back(r.sets[0]);  // a second set from the same layout crosses a set start
    const int nFlicks = int(r.sets[0].flicks.size());
    // forged: flick of the second set with a wrong hash, -1 none; bStep: N instead of waiting.
    struct { int nForged; bool bStep; } cases[] = {{-1, true}, {nFlicks / 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "forged " << c.nForged << " step " << c.bStep);
        SMatchRecord forged = r;
        if (c.nForged >= 0) forged.sets[1].flicks[size_t(c.nForged)].nHash ^= 1;
        SFakeReplayHost host;
        CReplayDriver driver(host, forged, "replay.kdr");
        driver.Start(0);
        driver.Tick(kReplaySetRestMs - 1);
        EXPECT_EQ(nullptr, host.pFlick) << "a flick started before the rest was over";
        driver.TogglePause();
        driver.Tick(kReplaySetRestMs * 10);
        EXPECT_EQ(nullptr, host.pFlick) << "a paused replay went on";
        driver.TogglePause();
        int64_t t = kReplaySetRestMs * 10;
        for (int n = 0; n < 4 * nFlicks + 10 && !host.bEnded; ++n, t += kReplaySetRestMs) {
            if (c.bStep) driver.Step(t);
            else driver.Tick(t);
            if (host.pFlick && !c.bStep) driver.OnFlickEnded(host.FinishFlickAtOnce(), t);
        }
        ASSERT_TRUE(host.bEnded);
        if (c.nForged < 0) {
            EXPECT_EQ("", host.error);
            EXPECT_EQ(2 * nFlicks, driver.FlicksMatched());
        } else {
            EXPECT_EQ(nFlicks + c.nForged, driver.FlicksMatched());
            EXPECT_EQ("replay.kdr:" + std::to_string(forged.sets[1].flicks[size_t(c.nForged)].nLine) +
                          ": the position differs from the recorded one", host.error);
            EXPECT_EQ(host.error, host.text);
        }
    }
    fs::remove_all(dir);
}

// The kept campaign gives back its set exactly; a damaged text is refused, naming the file and,
// where the record's reader finds it, the line.
TEST(CampaignStateTest, AKeptSetReadsBackAndDamageIsRefusedWithItsPlace) {
    const SCampaignSet set{{BOARD_SQUARE, CHECK_BONE, TURN_TO_A_MISS, 1, 2, 1, SIDE_BLACK}, 2, 1, 17, 25, SIDE_BLACK};
    const std::string text = FormatCampaignState(set);
    SCampaignSet back;
    std::string error;
    ASSERT_TRUE(ParseCampaignState(text, "c.state", back, error)) << error;
    EXPECT_EQ(set, back);
    const struct { const char *from, *to, *error; } damaged[] = {
        {"board=0", "board=7", "c.state:3: "},
        {"set white=2", "set white=99", "c.state:11: white shift 99"},
        {"mode=1", "mode=0", "one set line of a campaign"},  // a quick game is never resumed
        {"lost white=17", "lost white=-1", "one set line"},
        {"starter=2", "starter=3", "one set line"},
        {"\nlost", "\nset white=0 black=0\nlost", "one set line"},
        {"set white=2 black=1\nlost white=17 black=25 starter=2\n", "", "c.state:10: "},  // cut short
        {"KELVODARA-MATCH 1", "garbage", "c.state:1: "},
    };
    for (const auto& d : damaged) {
        std::string bad = text;
        bad.replace(bad.find(d.from), std::string(d.from).size(), d.to);
        EXPECT_FALSE(ParseCampaignState(bad, "c.state", back, error)) << d.to;
        EXPECT_NE(std::string::npos, error.find(d.error)) << d.to << ": " << error;
    }
}

}  // namespace
