// Frame times of the real game window in a match: quiet (the player to move, nothing running)
// and while the computer chooses its flick at expert level, on every board. The window's own
// frame statistics split the frames by what the game was doing. Runs under any SDL video
// driver: offscreen by default, x11 under xvfb-run when SDL_VIDEODRIVER=x11 is given.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "ai/comp_thinking.h"
#include "app/game_wnd.h"
#include "physics/kick_physics.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kScreenW = 800, kScreenH = 600;
constexpr int kLevelExpert = 2;
constexpr int kStarModelsShown = 1;
constexpr int kWarmupFrames = 20;
constexpr int kQuietFrames = 1000;
constexpr int kThinkingFramesWanted = 400;
constexpr int kMaxComputerTurns = 400;
constexpr auto kTurnDeadline = std::chrono::seconds(5);  // one choice takes milliseconds

CGameWnd* g_pWnd = nullptr;

// CPU time of the process (the renderer's threads too) or of this thread, in ms.
double CpuMs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) * 1e-6;
}

void StartQuietMatch(CGameWnd& wnd, int nBoard) {
    CGameSettings& s = wnd.Settings();
    s.BoardType = nBoard;
    s.m_nPlayers = 1;
    s.m_nLevel = kLevelExpert;
    s.MyWhite = 1;  // the player moves first: nothing runs until he flicks
    s.GameMode = 0;
    s.StarType = kStarModelsShown;  // the fuller sky: star models in front of the nebula
    wnd.StartMatch();
    wnd.SetScreen(SCREEN_GAME);
    for (int i = 0; i < kWarmupFrames; ++i) wnd.StepFrame();
}

void Report(benchmark::State& state, const SFrameSummary& s) {
    state.counters["frames"] = static_cast<double>(s.nFrames);
    state.counters["median_ms"] = s.fMedianMs;
    state.counters["p99_ms"] = s.fP99Ms;
    state.counters["max_ms"] = s.fMaxMs;
}

void BM_QuietMatchFrames(benchmark::State& state) {
    if (g_pWnd == nullptr) {
        state.SkipWithError("no GL window or pack");
        return;
    }
    CGameWnd& wnd = *g_pWnd;
    for (auto _ : state) {
        StartQuietMatch(wnd, static_cast<int>(state.range(0)));
        wnd.m_frameStats.Clear();
        const double fProcess = CpuMs(CLOCK_PROCESS_CPUTIME_ID), fThread = CpuMs(CLOCK_THREAD_CPUTIME_ID);
        for (int i = 0; i < kQuietFrames; ++i) wnd.StepFrame();
        state.counters["cpu_ms"] = (CpuMs(CLOCK_PROCESS_CPUTIME_ID) - fProcess) / kQuietFrames;
        state.counters["main_cpu_ms"] = (CpuMs(CLOCK_THREAD_CPUTIME_ID) - fThread) / kQuietFrames;
    }
    Report(state, wnd.m_frameStats.Summary(EFramePhase::Quiet));
    wnd.StopMatch();
}

void BM_FramesWhileComputerChooses(benchmark::State& state) {
    if (g_pWnd == nullptr) {
        state.SkipWithError("no GL window or pack");
        return;
    }
    CGameWnd& wnd = *g_pWnd;
    int nTurns = 0;
    for (auto _ : state) {
        StartQuietMatch(wnd, static_cast<int>(state.range(0)));
        wnd.m_frameStats.Clear();
        while (wnd.m_frameStats.Summary(EFramePhase::CompThinking).nFrames < kThinkingFramesWanted &&
               nTurns < kMaxComputerTurns) {
            // Each turn from the start position, so every choice is a full expert search.
            wnd.NewSet(0, 0);
            wnd.StartComputerTurn();
            ++nTurns;
            const auto deadline = Clock::now() + kTurnDeadline;
            // The thread may not have raised its flag before the first frame.
            wnd.StepFrame();
            while (g_bCompThinking.load() && Clock::now() < deadline) wnd.StepFrame();
            wnd.Physics().SuspendThreads();
            wnd.Physics().StopPlayback();
            wnd.Physics().TerminateThreads();
            wnd.Physics().ClearMotions();
            wnd.m_frameStats.Break();  // the reset between turns is not a frame of the match
        }
    }
    Report(state, wnd.m_frameStats.Summary(EFramePhase::CompThinking));
    state.counters["turns"] = nTurns;
    wnd.StopMatch();
}

}  // namespace

BENCHMARK(BM_QuietMatchFrames)->DenseRange(0, 2)->ArgName("board")->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_FramesWhileComputerChooses)->DenseRange(0, 2)->ArgName("board")->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);  // keep a driver the caller named
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    char pattern[] = "/tmp/kd_match_frame_bench_XXXXXX";
    if (mkdtemp(pattern) == nullptr) return 1;
    const fs::path dir = pattern;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    benchmark::Initialize(&argc, argv);
    auto wnd = std::make_unique<CGameWnd>(EWindowBackend::Sdl);
    wnd->Resource().SetDatFile(KD_RES_PACK_PATH);
    if (!wnd->Resource().Open())
        std::fprintf(stderr, "match_frame_bench: %s\n", wnd->Resource().LastError().c_str());
    else if (!wnd->CreateGLWindow("Kelvo Dara", kScreenW, kScreenH, 32, false, 103, false))
        std::fprintf(stderr, "match_frame_bench: no GL window with driver %s\n", std::getenv("SDL_VIDEODRIVER"));
    else
        g_pWnd = wnd.get();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_pWnd = nullptr;
    wnd->StopWorkers();
    wnd->DestroyGLWindow();
    wnd.reset();
    std::error_code ec;
    fs::remove_all(dir, ec);
    return 0;
}
