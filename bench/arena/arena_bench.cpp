// Whole arena games: one Quorvel (the shipped settings) against six greedy players to
// 1910, on one thread and on J threads.
#include <benchmark/benchmark.h>

#include "arena/arena_run.h"

namespace quorvel::arena {
namespace {

constexpr int kGames = 14;

void BM_ArenaQuorvelAgainstGreedy(benchmark::State& state) {
  ParsedArenaOptions parsed = parse_arena_options(
      {"quorvel:" QUORVEL_DATA_DIR "/Quorvel.ini", "greedy", "--games", std::to_string(kGames)});
  if (!parsed.error.empty()) {
    state.SkipWithError(parsed.error.c_str());
    return;
  }
  parsed.options.jobs = static_cast<int>(state.range(0));
  std::uint64_t seed = 1;
  for (auto _ : state) {
    parsed.options.seed = seed;
    seed += kGames;
    benchmark::DoNotOptimize(run_arena(parsed.options, nullptr));
  }
  state.counters["games/s"] = benchmark::Counter(static_cast<double>(kGames * state.iterations()),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ArenaQuorvelAgainstGreedy)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quorvel::arena
