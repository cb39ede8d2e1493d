// The computer's move (the whole search and the choice, no real flick) from the start
// layout of each board at each level, on two threads and on one; and, for the ratio, one
// look-ahead flick of the shared flick set in the same run.
#include <benchmark/benchmark.h>

#include <atomic>
#include <functional>

#include "ai/kick_ai.h"
#include "physics/flick_simulation.h"
#include "platform/crt_rand.h"
#include "tests/support/flick_set.h"

namespace {

void BM_CompMove(benchmark::State& state) {
    CGameSettings settings;
    settings.BoardType = int(state.range(0));
    settings.m_nLevel = int(state.range(1));
    const int nThreads = int(state.range(2));
    const CDesk live = StartDesk(settings);
    const SPhysicsConstants k;
    std::atomic<long> nTrials{0};
    const std::function<void()> countTrial = [&] { nTrials.fetch_add(1, std::memory_order_relaxed); };
    ai::STrialControl control;
    control.pBeforeTrial = &countTrial;
    platform::SetRandState(1);
    for (auto _ : state) {
        ai::SCompMove move;
        benchmark::DoNotOptimize(ai::ComputeCompMove(k, settings, live, SIDE_BLACK, control, nThreads, move));
        benchmark::DoNotOptimize(move);
    }
    state.counters["trials/move"] = double(nTrials.load()) / double(state.iterations());
}

void BM_LookAheadFlick(benchmark::State& state) {
    std::vector<SFlickCase> cases = MakeFlickSet(900);
    std::vector<CDesk> starts;
    std::vector<CGameSettings> settings(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) starts.push_back(PrepareFlick(cases[i], settings[i]));
    const SPhysicsConstants k;
    size_t i = 0;
    for (auto _ : state) {
        settings[i].ResetMovers(cases[i].nCheck);
        CDesk work = starts[i];
        RunFlick(k, MakeFlickInput(settings[i]), cases[i].nCheck, work, settings[i].m_aMovers, false, nullptr);
        benchmark::DoNotOptimize(work);
        if (++i == cases.size()) i = 0;
    }
}

}  // namespace

BENCHMARK(BM_CompMove)
    ->ArgsProduct({{BOARD_SQUARE, BOARD_ROUND, BOARD_TWELVE}, {LEVEL_BEGINNER, LEVEL_PRO, LEVEL_EXPERT}, {2, 1}})
    ->ArgNames({"board", "level", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LookAheadFlick)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
