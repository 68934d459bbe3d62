#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <string_view>

#include "base/random_source.h"
#include "base/trace.h"
#include "game/game_board.h"
#include "planning/plan.h"
#include "planning/plan_evaluator.h"
#include "planning/plan_search.h"
#include "planning/turn_driver.h"
#include "planning/unit_option_table.h"
#include "protocol/token_text_table.h"
#include "protocol/tokens.h"
#include "rules/standard_map.h"
#include "settings/bot_settings.h"
#include "settings/builtin_settings.h"
#include "support/positions.h"
#include "valuation/province_valuation.h"

namespace {

using namespace quorvel;
using bench::kCrowdedNow;
using bench::kCrowdedSco;
using bench::parsed;

struct Game {
  GameBoard board;
  TraceLog trace;
  ProvinceValuation valuation{board};
  UnitOptionTable options{board, valuation};

  // Default settings, or the shipped (built-in) ones.
  Game(const char* power, std::string_view sco, std::string_view now, bool shipped = false) {
    trace.switch_on(false);
    if (shipped) static_cast<IniStore&>(valuation) = builtin_settings();
    if (board.set_map(bench::standard_map_message()) != -1) std::abort();
    valuation.setupMap();
    board.set_own_power(*TokenTextTable::standard().token_of(power));
    if (board.set_centres(parsed(sco)) != -1 || board.set_position(parsed(now)) != -1) std::abort();
    valuation.evaluateTurn();
    options.rebuild();
  }
};

const char* const kPowers[] = {"AUS", "ENG", "FRA", "GER", "ITA", "RUS", "TUR"};

void BM_PlanTurnSpring1901(benchmark::State& state) {
  const char* power = kPowers[state.range(0) % 7];
  state.SetLabel(std::string(power) + (state.range(0) >= 7 ? " shipped" : ""));
  auto game = std::make_unique<Game>(power, rules::standard_start_sco(),
                                     rules::standard_start_now(), state.range(0) >= 7);
  AnnealingSettings settings = readAnnealingSettings(game->valuation);
  std::uint64_t seed = 0;
  for (auto _ : state) {
    RandomSource random(1 + seed++ % 200);
    planTurn(game->board, game->options, settings, random, game->trace);
  }
}
// 0-6: default settings; 7-13: the shipped settings.
BENCHMARK(BM_PlanTurnSpring1901)->DenseRange(0, 13)->Unit(benchmark::kMicrosecond);

void BM_PlanTurnCrowded(benchmark::State& state) {
  auto game = std::make_unique<Game>("FRA", kCrowdedSco, kCrowdedNow, state.range(0) == 1);
  state.SetLabel(state.range(0) == 1 ? "shipped" : "default");
  AnnealingSettings settings = readAnnealingSettings(game->valuation);
  std::uint64_t seed = 0;
  state.counters["units"] = static_cast<double>(game->board.own_units.size());
  for (auto _ : state) {
    RandomSource random(1 + seed++ % 200);
    planTurn(game->board, game->options, settings, random, game->trace);
  }
}
BENCHMARK(BM_PlanTurnCrowded)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Plan evaluations per second on the crowded position's 17-unit plan.
void BM_EvaluatePlan17(benchmark::State& state) {
  auto game = std::make_unique<Game>("FRA", kCrowdedSco, kCrowdedNow);
  PlanEvaluator evaluator(game->board, game->valuation);
  evaluator.setUnitTable(game->options);
  RandomSource random(1);
  Plan plan(random);
  plan.init(game->options, evaluator);
  plan.addOwnUnits();
  addConvoyCandidates(plan);
  randomize(plan);
  state.counters["orders"] = static_cast<double>(plan.orders().size());
  for (auto _ : state)
    benchmark::DoNotOptimize(plan.evaluate());
  state.counters["evaluations/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EvaluatePlan17);

}  // namespace
