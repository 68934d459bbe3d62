#include <benchmark/benchmark.h>

#include <memory>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "rules/standard_map.h"
#include "support/positions.h"

namespace {

using quorvel::GameBoard;
using quorvel::TokenMessage;

void BM_SetMapStandard(benchmark::State& state) {
  const TokenMessage mdf = quorvel::bench::standard_map_message();
  auto board = std::make_unique<GameBoard>();
  for (auto _ : state)
    benchmark::DoNotOptimize(board->set_map(mdf));
}
BENCHMARK(BM_SetMapStandard)->Unit(benchmark::kMicrosecond);

void BM_SetPosition1901(benchmark::State& state) {
  auto board = std::make_unique<GameBoard>();
  if (board->set_map(quorvel::bench::standard_map_message()) != -1) std::abort();
  board->set_own_power(quorvel::tok::RUS);
  const TokenMessage now = quorvel::bench::parsed(quorvel::rules::standard_start_now());
  for (auto _ : state)
    benchmark::DoNotOptimize(board->set_position(now));
}
BENCHMARK(BM_SetPosition1901)->Unit(benchmark::kMicrosecond);

}  // namespace
