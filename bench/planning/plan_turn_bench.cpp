#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "game/game_board.h"
#include "planning/plan.h"
#include "planning/plan_search.h"
#include "planning/random_seed.h"
#include "planning/turn_driver.h"
#include "planning/unit_option_table.h"
#include "protocol/token_text_table.h"
#include "protocol/tokens.h"
#include "settings/bot_settings.h"
#include "valuation/plan_evaluator.h"
#include "valuation/province_valuation.h"

namespace {

using namespace quorvel;

TokenMessage parsed(const std::string& text) {
  TokenMessage message;
  if (message.parse_text(text) != -1) std::abort();
  return message;
}

const char* const kStartSco =
    "SCO ( AUS BUD TRI VIE ) ( ENG EDI LON LVP ) ( FRA BRE MAR PAR ) ( GER BER KIE MUN ) "
    "( ITA NAP ROM VEN ) ( RUS MOS SEV STP WAR ) ( TUR ANK CON SMY ) "
    "( UNO BEL BUL DEN GRE HOL NWY POR RUM SER SPA SWE TUN )";

const char* const kStartNow =
    "NOW ( SPR 1901 ) ( AUS AMY BUD ) ( AUS AMY VIE ) ( AUS FLT TRI ) ( ENG FLT EDI ) "
    "( ENG FLT LON ) ( ENG AMY LVP ) ( FRA FLT BRE ) ( FRA AMY MAR ) ( FRA AMY PAR ) "
    "( GER FLT KIE ) ( GER AMY BER ) ( GER AMY MUN ) ( ITA FLT NAP ) ( ITA AMY ROM ) "
    "( ITA AMY VEN ) ( RUS AMY WAR ) ( RUS AMY MOS ) ( RUS FLT SEV ) ( RUS FLT ( STP SCS ) ) "
    "( TUR FLT ANK ) ( TUR AMY CON ) ( TUR AMY SMY )";

// France at 17 units in a crowded autumn.
const char* const kCrowdedSco =
    "SCO ( FRA BRE MAR PAR SPA POR BEL HOL DEN KIE BER MUN LON LVP EDI TUN NAP ROM ) "
    "( GER SWE NWY ) ( RUS MOS SEV STP WAR RUM ) ( AUS BUD TRI VIE SER GRE VEN ) "
    "( TUR ANK CON SMY BUL )";

const char* const kCrowdedNow =
    "NOW ( FAL 1906 ) ( FRA AMY BRE ) ( FRA AMY PAR ) ( FRA FLT MAO ) ( FRA FLT ( SPA SCS ) ) "
    "( FRA AMY BUR ) ( FRA AMY BEL ) ( FRA AMY HOL ) ( FRA FLT NTH ) ( FRA AMY KIE ) "
    "( FRA AMY MUN ) ( FRA FLT LON ) ( FRA AMY YOR ) ( FRA FLT WES ) ( FRA FLT TYS ) "
    "( FRA AMY PIE ) ( FRA AMY TYR ) ( FRA FLT HEL ) ( GER AMY BER ) ( GER FLT SKA ) "
    "( GER AMY SIL ) ( RUS AMY WAR ) ( RUS AMY PRU ) ( RUS FLT BAL ) ( RUS AMY UKR ) "
    "( AUS AMY VIE ) ( AUS AMY BOH ) ( AUS AMY VEN ) ( AUS FLT ADR ) ( AUS FLT ION ) "
    "( TUR FLT AEG ) ( TUR AMY BUL ) ( TUR FLT EAS ) ( TUR AMY SER )";

struct Game {
  GameBoard board;
  ProvinceValuation valuation{board};
  UnitOptionTable options{board, valuation};

  Game(const char* power, const char* sco, const char* now) {
    std::ifstream in(std::string(QUORVEL_DATA_DIR) + "/maps/standard.mdf");
    std::ostringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
      s.pop_back();
    if (board.set_map(parsed(s)) != -1) std::abort();
    valuation.setupMap();
    board.set_own_power(*TokenTextTable::instance().token_of(power));
    if (board.set_centres(parsed(sco)) != -1 || board.set_position(parsed(now)) != -1) std::abort();
    valuation.evaluateTurn();
    options.rebuild();
  }
};

const char* const kPowers[] = {"AUS", "ENG", "FRA", "GER", "ITA", "RUS", "TUR"};

void BM_PlanTurnSpring1901(benchmark::State& state) {
  const char* power = kPowers[state.range(0)];
  state.SetLabel(power);
  auto game = std::make_unique<Game>(power, kStartSco, kStartNow);
  AnnealingSettings settings = readAnnealingSettings(game->valuation);
  SetFixedRandomSeed(1);
  for (auto _ : state)
    planTurn(game->board, game->options, settings);
}
BENCHMARK(BM_PlanTurnSpring1901)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

void BM_PlanTurnCrowded(benchmark::State& state) {
  auto game = std::make_unique<Game>("FRA", kCrowdedSco, kCrowdedNow);
  AnnealingSettings settings = readAnnealingSettings(game->valuation);
  SetFixedRandomSeed(1);
  state.counters["units"] = static_cast<double>(game->board.own_units.size());
  for (auto _ : state)
    planTurn(game->board, game->options, settings);
}
BENCHMARK(BM_PlanTurnCrowded)->Unit(benchmark::kMicrosecond);

// Plan evaluations per second on the crowded position's 17-unit plan.
void BM_EvaluatePlan17(benchmark::State& state) {
  auto game = std::make_unique<Game>("FRA", kCrowdedSco, kCrowdedNow);
  PlanEvaluator evaluator(game->board, game->valuation);
  evaluator.setUnitTable(game->options);
  Plan plan;
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
