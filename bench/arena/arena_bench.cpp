// Whole arena games: one Quorvel (the shipped settings) against six greedy players to
// 1910, and seven negotiating house players at press level 20 to 1911 (at least 20 games/s
// on both cores), on one thread and on J threads.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "arena/arena_run.h"

namespace quorvel::arena {
namespace {

constexpr int kGames = 14;

void run_games(benchmark::State& state, const std::vector<std::string>& args) {
  std::vector<std::string> all = args;
  all.push_back("--games");
  all.push_back(std::to_string(kGames));
  ParsedArenaOptions parsed = parse_arena_options(all);
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

void BM_ArenaQuorvelAgainstGreedy(benchmark::State& state) {
  run_games(state, {"quorvel:" QUORVEL_DATA_DIR "/Quorvel.ini", "greedy"});
}
BENCHMARK(BM_ArenaQuorvelAgainstGreedy)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Seven negotiating Quorvels at level 20 and 30: the time of one player's phase (its
// proposals, its answers and its plans), on one thread; at most 5 ms.
void BM_SevenNegotiatingQuorvelsPhase(benchmark::State& state) {
  ParsedArenaOptions parsed = parse_arena_options(
      {"quorvel:" QUORVEL_DATA_DIR "/Quorvel.ini", "--press", std::to_string(state.range(0)),
       "--last-year", "1911", "--games", "2", "--jobs", "1"});
  if (!parsed.error.empty()) {
    state.SkipWithError(parsed.error.c_str());
    return;
  }
  std::uint64_t seed = 1;
  double phases = 0;
  double milliseconds = 0;
  for (auto _ : state) {
    parsed.options.seed = seed;
    seed += 2;
    const auto start = std::chrono::steady_clock::now();
    for (const GameResult& result : run_arena(parsed.options, nullptr))
      phases += result.phases * 7.0;
    milliseconds +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["ms_per_phase"] = phases > 0 ? milliseconds / phases : 0.0;
}
BENCHMARK(BM_SevenNegotiatingQuorvelsPhase)
    ->Arg(20)
    ->Arg(30)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_ArenaSevenNegotiatorsAtLevel20(benchmark::State& state) {
  run_games(state, {"honest", "liar", "honest", "liar", "honest", "liar", "honest", "--press", "20",
                    "--last-year", "1911"});
}
BENCHMARK(BM_ArenaSevenNegotiatorsAtLevel20)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace quorvel::arena
