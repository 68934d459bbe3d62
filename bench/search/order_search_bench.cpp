#include <benchmark/benchmark.h>

#include <memory>
#include <string_view>

#include "base/random_source.h"
#include "base/trace.h"
#include "game/game_board.h"
#include "planning/turn_driver.h"
#include "planning/unit_option_table.h"
#include "protocol/token_text_table.h"
#include "search/order_search.h"
#include "settings/bot_settings.h"
#include "settings/builtin_settings.h"
#include "support/positions.h"
#include "valuation/province_valuation.h"

namespace {

using namespace quorvel;
using bench::parsed;

// A whole movement phase of the bot with the shipped settings: the position valued, the
// plan searched, then the search over the others' likely orders.
struct Phase {
  GameBoard board;
  TraceLog trace;
  ProvinceValuation valuation{board};
  UnitOptionTable options{board, valuation};
  search::OrderSearch search;
  TokenMessage sco;
  TokenMessage now;

  Phase(const char* power, std::string_view sco_text, std::string_view now_text)
      : sco(parsed(sco_text)), now(parsed(now_text)) {
    trace.switch_on(false);
    static_cast<IniStore&>(valuation) = builtin_settings();
    const TokenMessage mdf = bench::standard_map_message();
    if (board.set_map(mdf) != -1) std::abort();
    valuation.setupMap();
    board.set_own_power(*TokenTextTable::standard().token_of(power));
    search.set_map(mdf);
  }

  search::SearchReport play(std::uint64_t seed) {
    if (board.set_centres(sco) != -1 || board.set_position(now) != -1) std::abort();
    search.set_centres(sco);
    search.set_position(now);
    valuation.evaluateTurn();
    options.rebuild();
    RandomSource random(seed);
    TurnPlanner planner(board, options, random);
    planner.plan(readAnnealingSettings(valuation), trace);
    planner.writeBest(trace);
    return search.choose(
        board, planner, valuation, readSearchSettings(valuation), static_cast<std::uint32_t>(seed),
        [] { return true; }, {}, trace);
  }
};

const char* const kPowers[] = {"AUS", "ENG", "FRA", "GER", "ITA", "RUS", "TUR"};

// 0: France at 17 units in a crowded autumn; 1-7: each power at the front lines of a
// crowded autumn; 8-14: each power's first phase.
void BM_SearchedPhase(benchmark::State& state) {
  const auto arg = static_cast<int>(state.range(0));
  const char* power = arg == 0 ? "FRA" : kPowers[(arg - 1) % 7];
  const bool start = arg >= 8;
  state.SetLabel(std::string(power) + (arg == 0 ? " crowded" : start ? " 1901" : " front lines"));
  auto phase = std::make_unique<Phase>(power,
                                       arg == 0 ? bench::kCrowdedSco
                                       : start  ? rules::standard_start_sco()
                                                : bench::kFrontLinesSco,
                                       arg == 0 ? bench::kCrowdedNow
                                       : start  ? rules::standard_start_now()
                                                : bench::kFrontLinesNow);
  std::uint64_t seed = 0;
  search::SearchReport last;
  int out_of_time = 0;
  for (auto _ : state) {
    last = phase->play(1 + seed++ % 200);
    out_of_time += last.out_of_time ? 1 : 0;
  }
  state.counters["own sets"] = last.own_candidates;
  state.counters["powers"] = last.powers;
  state.counters["out of time"] =
      benchmark::Counter(out_of_time, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SearchedPhase)->DenseRange(0, 14)->Unit(benchmark::kMillisecond);

}  // namespace
