// Computer against computer without a window: whole sets through the real computer-turn
// and simulation threads and the real playback, with a fast clock. Prints win counts,
// think times and flicks per set; exits non-zero when a flick never finishes or a set
// runs past its flick limit.
//
//   self_play [--sets N] [--board 0..2] [--material 0..2] [--turn 0|1]
//             [--white-level 0..2] [--black-level 0..2]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/app_messages.h"
#include "core/game_settings.h"
#include "game/layout.h"
#include "physics/kick_physics.h"
#include "platform/clock.h"
#include "platform/log.h"

namespace {

constexpr int kMaxFlicksPerSet = 1000;
constexpr int kFlickTimeoutMs = 60000;  // a think plus a simulation never takes this long
constexpr uint32_t kFrameMs = 10;       // the fake clock moves one record per frame

struct SOptions {
    int nSets = 20, nBoard = BOARD_TWELVE, nMaterial = CHECK_BONE, nTurn = 0;
    int nLevel[3] = {0, LEVEL_EXPERT, LEVEL_BEGINNER};  // by side: [1] white, [2] black
};

bool ParseInt(const char* text, int lo, int hi, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!text[0] || *end || v < lo || v > hi) return false;
    out = int(v);
    return true;
}

bool ParseOptions(int argc, char** argv, SOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : "";
        bool ok = true;
        if (a == "--sets") ok = ParseInt(v, 1, 1000000, o.nSets);
        else if (a == "--board") ok = ParseInt(v, 0, 2, o.nBoard);
        else if (a == "--material") ok = ParseInt(v, 0, 2, o.nMaterial);
        else if (a == "--turn") ok = ParseInt(v, 0, 1, o.nTurn);
        else if (a == "--white-level") ok = ParseInt(v, 0, 2, o.nLevel[SIDE_WHITE]);
        else if (a == "--black-level") ok = ParseInt(v, 0, 2, o.nLevel[SIDE_BLACK]);
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

// Plays the window thread's part for one computer flick: queue the records, start and
// run the playback on the fake clock until the finish message. Returns the think time
// in ms (start of the turn to the first record), or -1 when the flick never finished.
double PlayComputerFlick(CKickPhysics& physics, platform::CWindowQueue& queue, int nSide,
                         uint32_t& fakeNow, bool& bFinished) {
    const auto t0 = std::chrono::steady_clock::now();
    double thinkMs = -1.0;
    bFinished = false;
    physics.StartCompTurn(nSide);
    const auto deadline = t0 + std::chrono::milliseconds(kFlickTimeoutMs);
    while (!bFinished) {
        if (std::chrono::steady_clock::now() > deadline) return -1.0;
        if (physics.IsPlaying()) {
            fakeNow += kFrameMs;
            physics.PlayMotion();
            continue;
        }
        platform::SMessage m;
        if (!queue.WaitPop(m, 100)) continue;
        if (m.nMsg == UM_QUEUE_MOTION) {
            if (thinkMs < 0.0)
                thinkMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            physics.OnQueueMotion(m.TakePayload<CDesk>());
        } else if (m.nMsg == UM_START_PLAYBACK) {
            physics.StartPlayback();
        }
    }
    return thinkMs < 0.0 ? 0.0 : thinkMs;
}

}  // namespace

int main(int argc, char** argv) {
    SOptions o;
    if (!ParseOptions(argc, argv, o)) return 2;
    platform::SetLogSink([](const std::string& line) { std::fputs(line.c_str(), stderr); });

    uint32_t fakeNow = 0;
    platform::SetTimeSource([&] { return fakeNow; });

    CGameSettings s;
    s.BoardType = o.nBoard;
    s.CheckType = o.nMaterial;
    s.TurnType = o.nTurn;
    CDesk desk;
    desk.SetSettings(&s);
    platform::CWindowQueue queue;
    bool bFinished = false;
    CKickPhysics physics;
    physics.SetSettings(&s);
    physics.SetDesk(&desk);
    physics.SetWindow(&queue);
    physics.SetMessages({UM_QUEUE_MOTION, UM_START_PLAYBACK, UM_FLICK_FINISHED});
    physics.SetSendMessage([&](uint32_t nMsg, uintptr_t, intptr_t) {
        if (nMsg == UM_FLICK_FINISHED) bFinished = true;
    });

    int wins[3] = {0, 0, 0};  // [0] draws
    long nFlicks = 0, nMoves = 0;
    double thinkTotal = 0.0, thinkMax = 0.0;
    const auto start = std::chrono::steady_clock::now();
    CGLObject whiteModel, blackModel;
    for (int set = 0; set < o.nSets; ++set) {
        BuildLayout(desk, 0, 0, whiteModel, blackModel);
        int nSide = SIDE_WHITE;  // white always moves first
        int nSetFlicks = 0, nWhite = 10, nBlack = 10;
        while (nWhite > 0 && nBlack > 0) {
            if (++nSetFlicks > kMaxFlicksPerSet) {
                std::fprintf(stderr, "FAIL: set %d ran past %d flicks\n", set, kMaxFlicksPerSet);
                return 1;
            }
            s.m_nLevel = o.nLevel[nSide];
            const double thinkMs = PlayComputerFlick(physics, queue, nSide, fakeNow, bFinished);
            if (thinkMs < 0.0) {
                std::fprintf(stderr, "FAIL: flick %d of set %d never finished\n", nSetFlicks, set);
                return 1;
            }
            ++nMoves;
            thinkTotal += thinkMs;
            thinkMax = std::max(thinkMax, thinkMs);
            desk.CountOnDesk(nWhite, nBlack);
            const int nOwnLost = nSide == SIDE_WHITE ? s.m_nKnockedWhite : s.m_nKnockedBlack;
            const int nOppLost = nSide == SIDE_WHITE ? s.m_nKnockedBlack : s.m_nKnockedWhite;
            const bool bKeep = o.nTurn == 1 && nOppLost > 0 && nOwnLost == 0;
            if (!bKeep) nSide = nSide == SIDE_WHITE ? SIDE_BLACK : SIDE_WHITE;
        }
        nFlicks += nSetFlicks;
        ++wins[nWhite > 0 ? SIDE_WHITE : nBlack > 0 ? SIDE_BLACK : 0];
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("board %d material %d turn %s, white level %d vs black level %d, %d sets in %.1f s\n", o.nBoard,
                o.nMaterial, o.nTurn ? "TO A MISS" : "BY TURN", o.nLevel[SIDE_WHITE], o.nLevel[SIDE_BLACK], o.nSets,
                seconds);
    std::printf("wins: white %d (%.1f%%), black %d (%.1f%%), draws %d\n", wins[SIDE_WHITE],
                100.0 * wins[SIDE_WHITE] / o.nSets, wins[SIDE_BLACK], 100.0 * wins[SIDE_BLACK] / o.nSets, wins[0]);
    std::printf("think time per move: mean %.2f ms, max %.2f ms over %ld moves\n", thinkTotal / double(nMoves),
                thinkMax, nMoves);
    std::printf("flicks per set: mean %.1f\n", double(nFlicks) / o.nSets);
    return 0;
}
