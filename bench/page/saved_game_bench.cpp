// Writing a game's saved-game JSON and its board page, as the arena's --record does for
// each game: the shipped sample of seven rule players (37 phases with press).
#include <benchmark/benchmark.h>

#include "page/board_page.h"
#include "savedgame/saved_game_json.h"

namespace quorvel {
namespace {

const savedgame::SavedGameReading& sample() {
  static const savedgame::SavedGameReading reading = savedgame::read_saved_game(
      QUORVEL_SOURCE_DIR "/tests/savedgame/data/standard-seven-rule-players.json");
  return reading;
}

void BM_SavedGameJson(benchmark::State& state) {
  if (!sample().game) return state.SkipWithError(sample().error.c_str());
  for (auto _ : state)
    benchmark::DoNotOptimize(savedgame::saved_game_json(*sample().game));
}
BENCHMARK(BM_SavedGameJson)->Unit(benchmark::kMicrosecond);

void BM_BoardPage(benchmark::State& state) {
  if (!sample().game) return state.SkipWithError(sample().error.c_str());
  for (auto _ : state)
    benchmark::DoNotOptimize(page::board_page(*sample().game, *sample().map));
}
BENCHMARK(BM_BoardPage)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvel
