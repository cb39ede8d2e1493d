// Look-ahead flick simulations per second from the start layouts of each board.
#include <benchmark/benchmark.h>

#include "physics/flick_simulation.h"
#include "tests/support/flick_set.h"

namespace {

void BM_LookAheadFlick(benchmark::State& state) {
    const int nBoard = int(state.range(0));
    std::vector<SFlickCase> cases;
    for (const SFlickCase& c : MakeFlickSet(900))
        if (c.nBoard == nBoard) cases.push_back(c);
    std::vector<CDesk> starts;
    std::vector<CGameSettings> settings(cases.size());
    for (size_t i = 0; i < cases.size(); ++i) starts.push_back(PrepareFlick(cases[i], settings[i]));
    const SPhysicsConstants k;
    size_t i = 0;
    for (auto _ : state) {
        CGameSettings& s = settings[i];
        s.ResetMovers(cases[i].nCheck);
        CDesk work = starts[i];  // the trial's copy of the position, as the computer makes it
        RunFlick(k, MakeFlickInput(s), cases[i].nCheck, work, s.m_aMovers, false, nullptr);
        benchmark::DoNotOptimize(work);
        if (++i == cases.size()) i = 0;
    }
    state.counters["flicks/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_LookAheadFlick)->Arg(0)->Arg(1)->Arg(2)->ArgName("board");

BENCHMARK_MAIN();
