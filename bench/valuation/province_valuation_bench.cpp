#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "rules/standard_map.h"
#include "support/positions.h"
#include "valuation/province_valuation.h"

namespace {

using quorvel::GameBoard;
using quorvel::ProvinceValuation;
using quorvel::bench::parsed;

std::unique_ptr<GameBoard> standard_board() {
  auto board = std::make_unique<GameBoard>();
  if (board->set_map(quorvel::bench::standard_map_message()) != -1) std::abort();
  board->set_own_power(quorvel::tok::FRA);
  return board;
}

// Weights in every table, so that no pass is skipped for zeros.
void load_settings(ProvinceValuation& valuation) {
  for (const char* section : {"OwnValues", "DistOccValues", "ExtraOccValues"}) {
    valuation.setValue(section, "sc", "100", true);
    valuation.setValue(section, "hc", "40", true);
    valuation.setValue(section, "enemysclost", "30", true);
    valuation.setValue(section, "border", "3", true);
  }
}

void BM_SetupMap(benchmark::State& state) {
  auto board = standard_board();
  ProvinceValuation valuation(*board);
  load_settings(valuation);
  for (auto _ : state)
    valuation.setupMap();
}
BENCHMARK(BM_SetupMap)->Unit(benchmark::kMicrosecond);

void evaluate(benchmark::State& state, std::string_view sco, std::string_view now) {
  auto board = standard_board();
  ProvinceValuation valuation(*board);
  load_settings(valuation);
  valuation.setupMap();
  if (board->set_centres(parsed(sco)) != -1 || board->set_position(parsed(now)) != -1) {
    state.SkipWithError("position does not load");
    return;
  }
  state.counters["units"] = static_cast<double>(board->units.size());
  for (auto _ : state)
    valuation.evaluateTurn();
}

void BM_EvaluateTurn1901(benchmark::State& state) {
  evaluate(state, quorvel::rules::standard_start_sco(), quorvel::rules::standard_start_now());
}
BENCHMARK(BM_EvaluateTurn1901)->Unit(benchmark::kMicrosecond);

void BM_EvaluateTurnCrowded(benchmark::State& state) {
  evaluate(state, quorvel::bench::kFrontLinesSco, quorvel::bench::kFrontLinesNow);
}
BENCHMARK(BM_EvaluateTurnCrowded)->Unit(benchmark::kMicrosecond);

}  // namespace
