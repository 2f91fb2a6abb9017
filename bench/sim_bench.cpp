// brindlemark-sim as an operator runs it: whole games of the real cabinet program per second of
// wall time, for a player of skill 0.7 against the in-process credit service, and the same with
// every frame drawn. The target is 10,000 games in under a minute: at least 167 games a second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "platform/process.h"
#include "support/scratch.h"

namespace {
// Runs the simulator for `games` games; false when it failed.
bool RunSim(int64_t games, bool frames, uint32_t seed) {
    ScratchFolder scratch("sim-bench");
    std::string out = scratch.File("sim.out");
    std::vector<std::string> argv{SIM_TOOL,
                                  "--stage",
                                  BRINDLEMARK_STAGE_DIR,
                                  "--games",
                                  std::to_string(games),
                                  "--seed",
                                  std::to_string(seed),
                                  "--skill",
                                  "0.7"};
    if (frames) argv.push_back("--frames");
    return WaitProcess(StartProcess(argv, out, out)) == 0;
}

void BM_SimGames(benchmark::State& state, bool frames) {
    uint32_t seed = 1;
    for (auto _ : state) {
        if (!RunSim(state.range(0), frames, seed++)) {
            state.SkipWithError("brindlemark-sim failed");
            return;
        }
    }
    // items_per_second reads as games a second.
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SimGamesHeadless(benchmark::State& state) {
    BM_SimGames(state, false);
}
void BM_SimGamesEveryFrameDrawn(benchmark::State& state) {
    BM_SimGames(state, true);
}
}  // namespace

BENCHMARK(BM_SimGamesHeadless)
    ->Arg(1000)
    ->Arg(10000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_SimGamesEveryFrameDrawn)
    ->Arg(20)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
