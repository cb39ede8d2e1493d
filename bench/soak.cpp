// Soak: computer against computer on every board, material, turn rule and level pair,
// through the real computer-turn and simulation threads and the real playback on a fast
// clock, with the position checked after every flick. Runs on the main thread, which
// plays the window thread's part. Exits 1 when any check fails, 2 on a bad option.
//
//   soak [--flicks N] [--seed S] [--flick-timeout-ms T] [--self-check]
//
// After every flick: the flick finished within the time limit; nothing on the board moves
// or falls; no two draughts on the board overlap by more than kOverlapTolerance; every
// draught counted on the board passes the physics' own board-edge test; the knocked-off
// counts equal the change in draughts on the board; no draught came back or changed side;
// no log line was written. Flicks ended by the simulation's step limit (its one log line),
// real ones and the computer's trial flicks alike, are counted and are faults.
// --self-check feeds the checks positions with known faults.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/app_messages.h"
#include "core/game_settings.h"
#include "game/layout.h"
#include "game/match_logic.h"
#include "physics/board_edges.h"
#include "physics/kick_physics.h"
#include "platform/clock.h"
#include "platform/crt_rand.h"
#include "platform/log.h"

namespace {

constexpr int kTurnRuleCount = 2, kLevelCount = 3;
constexpr int kComboCount = kBoardCount * kMaterialCount * kTurnRuleCount * kLevelCount * kLevelCount;
constexpr long kDefaultFlicks = 10000;
constexpr int kDefaultFlickTimeoutMs = 120000;  // a sanitized expert think plus a long flick: far less
constexpr uint32_t kFrameMs = 10;              // the fake clock moves one record per frame
constexpr int kWaitSliceMs = 100;              // one wait for a message, so the deadline is seen
constexpr size_t kFaultsPrinted = 50;
// How the simulation's log line starts when a flick runs into its step limit.
constexpr const char* kStepLimitLog = "A flick was ended after";

// Draughts at rest may overlap by at most this much (units; they touch at 0.116). A contact is
// resolved by putting the striker back to the last tenth of its 0.01 s step at which it touched
// nobody, and the struck draught back to where it no longer touches the striker (that second
// back-step looks at the striker only). So the resolution is exact to one tenth of a step of
// travel: at the fastest launch there is, the player's strongest flick on the round board,
// (4 radii - 0.07) x 59 = 9.56 units/s, that is 0.0096. A contact the simulation missed, or
// a draught that passed through another, overlaps by a good part of a whole step's travel.
constexpr float kFastestLaunch = (4.0f * 0.058f - 0.07f) * 59.0f;  // units per second
constexpr float kSubStepSeconds = 0.01f / 10.0f;
constexpr float kOverlapTolerance = kFastestLaunch * kSubStepSeconds;

struct SOptions {
    long nFlicks = kDefaultFlicks;
    uint32_t nSeed = 1;  // the game's own start state of the random generator
    int nFlickTimeoutMs = kDefaultFlickTimeoutMs;
    bool bSelfCheck = false;
};

bool ParseLong(const char* text, long lo, long hi, long& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!text[0] || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool ParseOptions(int argc, char** argv, SOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--self-check") {
            o.bSelfCheck = true;
            continue;
        }
        const char* v = i + 1 < argc ? argv[i + 1] : "";
        long n = 0;
        bool ok = true;
        if (a == "--flicks") ok = ParseLong(v, 1, 100000000, o.nFlicks);
        else if (a == "--seed") ok = ParseLong(v, 0, 4294967295L, n), o.nSeed = uint32_t(n);
        else if (a == "--flick-timeout-ms") ok = ParseLong(v, 1, 3600000, n), o.nFlickTimeoutMs = int(n);
        else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "bad value for %s: '%s'\n", a.c_str(), v);
            return false;
        }
        ++i;
    }
    return true;
}

const char* SideName(int nSide) { return nSide == SIDE_WHITE ? "white" : nSide == SIDE_BLACK ? "black" : "none"; }

// ---------------------------------------------------------------- checks of one flick

struct SFlickOutcome {
    int nKnockedWhite = 0, nKnockedBlack = 0;  // what the simulation reported
};

// Largest overlap of two draughts on the board, with the pair; 0 (and -1, -1) when none.
struct SOverlap {
    float fDepth = 0.0f;
    int nA = -1, nB = -1;
};

SOverlap DeepestOverlap(const CDesk& desk) {
    SOverlap worst;
    for (int a = 0; a < kCheckCount; ++a) {
        const CCheck& ca = desk.m_aChecks[a];
        if (ca.m_bOnDesk != 1) continue;
        for (int b = a + 1; b < kCheckCount; ++b) {
            const CCheck& cb = desk.m_aChecks[b];
            if (cb.m_bOnDesk != 1) continue;
            const double dx = double(cb.m_fX) - ca.m_fX, dy = double(cb.m_fY) - ca.m_fY;
            const double fDepth = double(ca.m_fRadius) + cb.m_fRadius - std::sqrt(dx * dx + dy * dy);
            if (fDepth > worst.fDepth) worst = {float(fDepth), a, b};
        }
    }
    return worst;
}

void AddFault(std::vector<std::string>& faults, const char* fmt, auto... args) {
    char line[320];
    std::snprintf(line, sizeof line, fmt, args...);
    faults.emplace_back(line);
}

// The position of a finished flick against the one it started from. Layout checks pass the
// same position twice with zero counts.
std::vector<std::string> CheckFlick(const CGameSettings& s, const CDesk& before, const CDesk& after,
                                    const SFlickOutcome& outcome) {
    std::vector<std::string> faults;
    for (int i = 0; i < kCheckCount; ++i) {
        const CCheck& c = after.m_aChecks[i];
        const CCheck& c0 = before.m_aChecks[i];
        if (c.m_nSide != c0.m_nSide)
            AddFault(faults, "draught %d changed side from %d to %d", i, c0.m_nSide, c.m_nSide);
        if (c0.m_bOnDesk != 1 && c.m_bOnDesk == 1) AddFault(faults, "draught %d came back onto the board", i);
        if (c.m_bFalling) AddFault(faults, "draught %d is still falling", i);
        if (c.m_bOnDesk != 1) continue;
        if (c.m_bMoving) AddFault(faults, "draught %d on the board is still moving", i);
        if (!std::isfinite(c.m_fX) || !std::isfinite(c.m_fY))
            AddFault(faults, "draught %d has a non-finite centre (%g, %g)", i, double(c.m_fX), double(c.m_fY));
        if (c.m_fHeight != 0.0f) AddFault(faults, "draught %d on the board has height %g", i, double(c.m_fHeight));
        CCheck probe = c;  // the edge test marks what it finds off the board: only a copy
        if (TestLeftBoard(probe, FindBoard(s.BoardType)))
            AddFault(faults, "draught %d counted on the board lies off it at (%.5f, %.5f)", i, double(c.m_fX),
                     double(c.m_fY));
    }
    const SOverlap worst = DeepestOverlap(after);
    if (worst.fDepth > kOverlapTolerance)
        AddFault(faults, "draughts %d (%.5f, %.5f) and %d (%.5f, %.5f) overlap by %.5f (tolerance %.4f)", worst.nA,
                 double(after.m_aChecks[worst.nA].m_fX), double(after.m_aChecks[worst.nA].m_fY), worst.nB,
                 double(after.m_aChecks[worst.nB].m_fX), double(after.m_aChecks[worst.nB].m_fY),
                 double(worst.fDepth), double(kOverlapTolerance));
    int nWhite0, nBlack0, nWhite1, nBlack1;
    before.CountOnDesk(nWhite0, nBlack0);
    after.CountOnDesk(nWhite1, nBlack1);
    if (outcome.nKnockedWhite != nWhite0 - nWhite1 || outcome.nKnockedBlack != nBlack0 - nBlack1)
        AddFault(faults, "knocked off white %d black %d, but the board went from %d/%d to %d/%d",
                 outcome.nKnockedWhite, outcome.nKnockedBlack, nWhite0, nBlack0, nWhite1, nBlack1);
    return faults;
}

// ---------------------------------------------------------------- the table

// One board with its physics, driven like the game window drives it.
class CSoakTable {
public:
    explicit CSoakTable(uint32_t& fakeNow) : m_fakeNow(fakeNow) {
        m_desk.SetSettings(&m_settings);
        m_physics.SetSettings(&m_settings);
        m_physics.SetDesk(&m_desk);
        m_physics.SetWindow(&m_queue);
        m_physics.SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
        m_physics.SetSendMessage([this](uint32_t nMsg, uintptr_t, intptr_t) {
            if (nMsg == UM_FLICK_FINISHED) m_bFinished = true;
        });
    }

    CGameSettings& Settings() { return m_settings; }
    CDesk& Desk() { return m_desk; }

    bool NewSet(int nWhiteShift, int nBlackShift) {
        return BuildLayout(m_desk, nWhiteShift, nBlackShift, m_whiteModel, m_blackModel) == 1;
    }

    // The computer of nSide flicks; the window's part (queueing, playback) runs here on the
    // fake clock. onFirstRecord runs when the search is over and the first step arrives.
    // False when the finish message did not come within the time limit.
    bool PlayComputerFlick(int nSide, int nTimeoutMs, const std::function<void()>& onFirstRecord) {
        m_bFinished = false;
        m_nRecords = 0;
        m_physics.StartCompTurn(nSide);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nTimeoutMs);
        while (!m_bFinished) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            if (m_physics.IsPlaying()) {
                m_fakeNow += kFrameMs;
                m_physics.PlayMotion();
                continue;
            }
            platform::SMessage m;
            if (!m_queue.WaitPop(m, kWaitSliceMs)) continue;
            if (m.nMsg == UM_QUEUE_MOTION) {
                if (m_nRecords++ == 0) onFirstRecord();
                m_physics.OnQueueMotion(m.TakePayload<CDesk>());
            }
            else if (m.nMsg == UM_START_PLAYBACK) m_physics.StartPlayback();
        }
        return true;
    }
    // Steps recorded by the last flick (each is 0.01 s of simulated time).
    long Records() const { return m_nRecords; }

    // After a flick that never finished: end its threads and records, as leaving a game does.
    void Abandon() {
        m_physics.SuspendThreads();
        m_physics.StopPlayback();
        m_physics.TerminateThreads();
        m_physics.ClearMotions();
    }

private:
    uint32_t& m_fakeNow;
    CGameSettings m_settings;
    CDesk m_desk;
    platform::CWindowQueue m_queue;
    bool m_bFinished = false;
    long m_nRecords = 0;
    CGLObject m_whiteModel, m_blackModel;
    CKickPhysics m_physics;  // last: its destructor stops threads that use the members above
};

// ---------------------------------------------------------------- the run

struct SCombo {
    int nBoard, nMaterial, nTurn, nWhiteLevel, nBlackLevel;
};

SCombo ComboAt(int n) {
    SCombo c;
    c.nBlackLevel = n % kLevelCount;
    n /= kLevelCount;
    c.nWhiteLevel = n % kLevelCount;
    n /= kLevelCount;
    c.nTurn = n % kTurnRuleCount;
    n /= kTurnRuleCount;
    c.nMaterial = n % kMaterialCount;
    c.nBoard = n / kMaterialCount;
    return c;
}

struct SRunStats {
    long nFlicks = 0, nSets = 0, nCampaignsWon = 0;
    std::vector<std::string> faults;
    float fDeepestOverlap = 0.0f;
    double fLongestFlickMs = 0.0;  // wall time, search included
    long nMostRecords = 0;         // steps of the longest flick
    long nCappedReal = 0, nCappedTrials = 0;  // flicks ended by the step limit
};

// Log lines written while a flick runs: a soak plays only valid games, so each one is a fault.
class CLogCollector {
public:
    void Add(const std::string& line) {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> out;
        out.swap(m_lines);
        return out;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

void Report(SRunStats& stats, const std::string& where, const std::vector<std::string>& faults) {
    for (const std::string& f : faults) stats.faults.push_back(where + ": " + f);
}

// Plays sets of one combination, campaign style (lines advance, the starter follows the
// turn rule), until it has made nQuota flicks.
void PlayCombo(const SCombo& combo, int nCombo, long nQuota, const SOptions& o, CSoakTable& table,
               CLogCollector& log, SRunStats& stats) {
    CGameSettings& s = table.Settings();
    s.BoardType = combo.nBoard;
    s.CheckType = combo.nMaterial;
    s.TurnType = combo.nTurn;
    const int nLevel[3] = {0, combo.nWhiteLevel, combo.nBlackLevel};
    SCampaignLimits limits{};
    GetCampaignLimits(combo.nBoard, limits);
    int nWhiteShift = 0, nBlackShift = 0, nStarter = SIDE_WHITE;
    char szCombo[96];
    std::snprintf(szCombo, sizeof szCombo, "board %d material %d turn %d levels %d/%d", combo.nBoard,
                  combo.nMaterial, combo.nTurn, combo.nWhiteLevel, combo.nBlackLevel);

    long nMade = 0;
    while (nMade < nQuota) {
        ++stats.nSets;
        if (!table.NewSet(nWhiteShift, nBlackShift)) {
            Report(stats, szCombo, {"the layout could not be built"});
            return;
        }
        char where[200];
        std::snprintf(where, sizeof where, "combo %d (%s), layout shifts %d/%d", nCombo, szCombo, nWhiteShift,
                      nBlackShift);
        Report(stats, where, CheckFlick(s, table.Desk(), table.Desk(), {}));

        int nSide = nStarter, nWhite = kChecksPerSide, nBlack = kChecksPerSide;
        while (nWhite > 0 && nBlack > 0 && nMade < nQuota) {
            s.m_nLevel = nLevel[nSide];
            const CDesk before = table.Desk();
            log.Take();
            std::vector<std::string> searchLog;
            const auto t0 = std::chrono::steady_clock::now();
            const bool bFinished =
                table.PlayComputerFlick(nSide, o.nFlickTimeoutMs, [&] { searchLog = log.Take(); });
            stats.nMostRecords = std::max(stats.nMostRecords, table.Records());
            const double fMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            stats.fLongestFlickMs = std::max(stats.fLongestFlickMs, fMs);
            ++nMade;
            ++stats.nFlicks;
            std::snprintf(where, sizeof where, "flick %ld (combo %d: %s, %s to move)", stats.nFlicks, nCombo, szCombo,
                          SideName(nSide));
            if (!bFinished) {
                Report(stats, where, {"did not finish within " + std::to_string(o.nFlickTimeoutMs) + " ms"});
                table.Abandon();
                break;  // the position is no longer a played one: start a fresh set
            }
            const SFlickOutcome outcome{s.m_nKnockedWhite, s.m_nKnockedBlack};
            Report(stats, where, CheckFlick(s, before, table.Desk(), outcome));
            for (const std::string& line : searchLog) {
                stats.nCappedTrials += line.rfind(kStepLimitLog, 0) == 0;
                Report(stats, where, {"logged in the search: " + line});
            }
            for (const std::string& line : log.Take()) {
                stats.nCappedReal += line.rfind(kStepLimitLog, 0) == 0;
                Report(stats, where, {"logged in the flick: " + line});
            }
            stats.fDeepestOverlap = std::max(stats.fDeepestOverlap, DeepestOverlap(table.Desk()).fDepth);

            table.Desk().CountOnDesk(nWhite, nBlack);
            const int nMover = nSide;
            if (!KeepsMove(combo.nTurn, nMover, outcome.nKnockedWhite, outcome.nKnockedBlack)) nSide = OtherSide(nMover);
            if (nWhite > 0 && nBlack > 0) continue;

            // The set is over: the campaign moves on as the match rules do.
            const int nResult = SetResultOf(1, nWhite, nBlack);
            if (IsCampaignWon(limits, nWhiteShift, nBlackShift, nWhite, nBlack)) {
                ++stats.nCampaignsWon;
                nWhiteShift = nBlackShift = 0;
                nStarter = SIDE_WHITE;
                break;
            }
            AdvanceCampaignLines(limits, SetWinner(nResult, 1), nWhiteShift, nBlackShift);
            nStarter = combo.nTurn == TURN_TO_A_MISS
                           ? ToAMissNextStarter(nMover, nResult, outcome.nKnockedWhite, outcome.nKnockedBlack)
                           : ByTurnNextStarter(nStarter);
        }
    }
}

// ---------------------------------------------------------------- self-check of the checks

// Each case breaks one law on a fresh layout; the checks must name it, and must stay silent
// on the layout itself.
int SelfCheck() {
    struct SCase {
        const char* szName;
        int nBoard;
        const char* szFault;  // a phrase of the fault expected; null: no fault at all
        void (*breakIt)(CDesk& before, CDesk& after, SFlickOutcome& outcome);
    };
    static const SCase kCases[] = {
        {"fresh square layout", BOARD_SQUARE, nullptr, [](CDesk&, CDesk&, SFlickOutcome&) {}},
        {"fresh round layout", BOARD_ROUND, nullptr, [](CDesk&, CDesk&, SFlickOutcome&) {}},
        {"fresh twelve-sided layout", BOARD_TWELVE, nullptr, [](CDesk&, CDesk&, SFlickOutcome&) {}},
        {"overlap half the tolerance", BOARD_SQUARE, nullptr,
         [](CDesk&, CDesk& a, SFlickOutcome&) {
             a.m_aChecks[1].m_fX = a.m_aChecks[0].m_fX + 2.0f * a.m_aChecks[0].m_fRadius - kOverlapTolerance * 0.5f;
             a.m_aChecks[1].m_fY = a.m_aChecks[0].m_fY;
         }},
        {"overlap twice the tolerance", BOARD_SQUARE, "overlap",
         [](CDesk&, CDesk& a, SFlickOutcome&) {
             a.m_aChecks[1].m_fX = a.m_aChecks[0].m_fX + 2.0f * a.m_aChecks[0].m_fRadius - kOverlapTolerance * 2.0f;
             a.m_aChecks[1].m_fY = a.m_aChecks[0].m_fY;
         }},
        {"a draught off the board overlaps nothing", BOARD_SQUARE, nullptr,
         [](CDesk&, CDesk& a, SFlickOutcome& o) {
             a.m_aChecks[1].m_fX = a.m_aChecks[0].m_fX;
             a.m_aChecks[1].m_fY = a.m_aChecks[0].m_fY;
             a.m_aChecks[1].m_bOnDesk = 0;
             o.nKnockedBlack = 1;
         }},
        {"square: centre past the side", BOARD_SQUARE, "lies off",
         [](CDesk&, CDesk& a, SFlickOutcome&) { a.m_aChecks[0].m_fX = 0.73f; }},
        {"round: centre past the rim", BOARD_ROUND, "lies off",
         [](CDesk&, CDesk& a, SFlickOutcome&) {
             a.m_aChecks[0].m_fX = 0.0f;
             a.m_aChecks[0].m_fY = -0.84f;
         }},
        {"twelve-sided: centre past an edge (15 degrees)", BOARD_TWELVE, "lies off",
         [](CDesk&, CDesk& a, SFlickOutcome&) {
             a.m_aChecks[0].m_fX = 0.8404f;  // 0.87 from the centre; the edge there is 0.8635 away
             a.m_aChecks[0].m_fY = 0.2252f;
         }},
        {"knocked off without a draught leaving", BOARD_ROUND, "knocked off",
         [](CDesk&, CDesk&, SFlickOutcome& o) { o.nKnockedWhite = 1; }},
        {"a draught left but was not counted", BOARD_TWELVE, "knocked off",
         [](CDesk&, CDesk& a, SFlickOutcome&) { a.m_aChecks[12].m_bOnDesk = 0; }},
        {"a draught left and was counted", BOARD_TWELVE, nullptr,
         [](CDesk&, CDesk& a, SFlickOutcome& o) {
             a.m_aChecks[12].m_bOnDesk = 0;
             o.nKnockedWhite = 1;
         }},
        {"a draught came back", BOARD_SQUARE, "came back",
         [](CDesk& b, CDesk&, SFlickOutcome& o) {
             b.m_aChecks[3].m_bOnDesk = 0;
             o.nKnockedBlack = -1;
         }},
        {"a draught still moves", BOARD_ROUND, "still moving",
         [](CDesk&, CDesk& a, SFlickOutcome&) { a.m_aChecks[5].m_bMoving = 1; }},
        {"a draught still falls", BOARD_ROUND, "still falling",
         [](CDesk&, CDesk& a, SFlickOutcome& o) {
             a.m_aChecks[5].m_bOnDesk = 0;
             a.m_aChecks[5].m_bFalling = 1;
             o.nKnockedBlack = 1;
         }},
        {"a draught changed side", BOARD_SQUARE, "changed side",
         [](CDesk&, CDesk& a, SFlickOutcome& o) {
             a.m_aChecks[2].m_nSide = SIDE_WHITE;
             o.nKnockedWhite = -1;
             o.nKnockedBlack = 1;
         }},
        {"a centre that is not a number", BOARD_SQUARE, "non-finite",
         [](CDesk&, CDesk& a, SFlickOutcome&) { a.m_aChecks[7].m_fY = std::nanf(""); }},
    };
    int nWrong = 0;
    for (const SCase& c : kCases) {
        CGameSettings s;
        s.BoardType = c.nBoard;
        CDesk before;
        before.SetSettings(&s);
        CGLObject model;
        if (BuildLayout(before, 0, 0, model, model) != 1) {
            std::printf("FAIL %-48s the layout could not be built\n", c.szName);
            ++nWrong;
            continue;
        }
        CDesk after = before;
        SFlickOutcome outcome;
        c.breakIt(before, after, outcome);
        const std::vector<std::string> faults = CheckFlick(s, before, after, outcome);
        bool bOk = faults.empty();
        if (c.szFault)
            bOk = std::any_of(faults.begin(), faults.end(),
                              [&](const std::string& f) { return f.find(c.szFault) != std::string::npos; });
        nWrong += bOk ? 0 : 1;
        std::printf("%s %-48s expected %s, got %s\n", bOk ? "ok  " : "FAIL", c.szName,
                    c.szFault ? ("'" + std::string(c.szFault) + "'").c_str() : "no fault",
                    faults.empty() ? "no fault" : faults.front().c_str());
    }
    std::printf("self-check: %d of %zu cases wrong\n", nWrong, std::size(kCases));
    return nWrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    SOptions o;
    if (!ParseOptions(argc, argv, o)) return 2;
    if (o.bSelfCheck) return SelfCheck();

    CLogCollector log;
    platform::SetLogSink([&](const std::string& line) { log.Add(line); });
    uint32_t fakeNow = 0;
    platform::SetTimeSource([&] { return fakeNow; });
    platform::SetRandState(o.nSeed);

    const long nQuota = (o.nFlicks + kComboCount - 1) / kComboCount;
    SRunStats stats;
    const auto start = std::chrono::steady_clock::now();
    {
        CSoakTable table(fakeNow);
        for (int n = 0; n < kComboCount; ++n) PlayCombo(ComboAt(n), n, nQuota, o, table, log, stats);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    platform::SetTimeSource({});
    platform::SetLogSink({});

    std::printf("soak: seed %u, %d combinations x %ld flicks\n", o.nSeed, kComboCount, nQuota);
    std::printf("flicks %ld, sets %ld, campaigns won %ld, time %.1f s\n", stats.nFlicks, stats.nSets,
                stats.nCampaignsWon, seconds);
    std::printf("longest flick: %.0f ms of wall time (search included), %ld steps\n", stats.fLongestFlickMs,
                stats.nMostRecords);
    std::printf("deepest overlap at rest %.6f (tolerance %.4f)\n", double(stats.fDeepestOverlap),
                double(kOverlapTolerance));
    std::printf("flicks ended by the step limit: real %ld, trial %ld\n", stats.nCappedReal, stats.nCappedTrials);
    std::printf("faults %zu\n", stats.faults.size());
    for (size_t i = 0; i < stats.faults.size() && i < kFaultsPrinted; ++i)
        std::printf("  FAULT %s\n", stats.faults[i].c_str());
    if (stats.faults.size() > kFaultsPrinted)
        std::printf("  ... and %zu more\n", stats.faults.size() - kFaultsPrinted);
    return stats.faults.empty() ? 0 : 1;
}
