#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>

#include "opponents/random_opponent.h"
#include "protocol/tokens.h"
#include "rules/movement.h"
#include "rules/rules_game.h"
#include "rules/standard_map.h"
#include "support/positions.h"

namespace {

using namespace quorvel;
using bench::parsed;

// On the front-lines position: supports, convoys, a head-to-head and a cycle.
const char* const kFrontLinesOrders[] = {"( ENG AMY YOR ) CTO BEL VIA ( NTH )",
                                         "( ENG FLT NTH ) CVY ( ENG AMY YOR ) CTO BEL",
                                         "( ENG FLT ECH ) SUP ( ENG AMY YOR ) MTO BEL",
                                         "( ENG FLT NWG ) SUP ( ENG AMY NWY )",
                                         "( FRA AMY BEL ) MTO HOL",
                                         "( FRA AMY PIC ) SUP ( FRA AMY BEL )",
                                         "( FRA AMY BUR ) MTO MUN",
                                         "( FRA AMY GAS ) MTO BUR",
                                         "( FRA FLT MAO ) HLD",
                                         "( FRA FLT WES ) MTO TYS",
                                         "( FRA FLT ( SPA SCS ) ) MTO GOL",
                                         "( GER AMY HOL ) MTO BEL",
                                         "( GER AMY RUH ) SUP ( GER AMY HOL ) MTO BEL",
                                         "( GER FLT HEL ) SUP ( GER AMY HOL )",
                                         "( GER AMY MUN ) MTO BUR",
                                         "( GER AMY SIL ) MTO GAL",
                                         "( ITA AMY PIE ) MTO TYR",
                                         "( ITA AMY VEN ) SUP ( ITA AMY PIE ) MTO TYR",
                                         "( ITA FLT TYS ) HLD",
                                         "( ITA FLT ION ) MTO ADR",
                                         "( AUS AMY TYR ) MTO VEN",
                                         "( AUS FLT ADR ) SUP ( AUS AMY TYR ) MTO VEN",
                                         "( AUS AMY GAL ) MTO SIL",
                                         "( AUS AMY BUD ) SUP ( AUS AMY GAL )",
                                         "( AUS AMY SER ) MTO BUL",
                                         "( AUS FLT GRE ) SUP ( AUS AMY SER ) MTO BUL",
                                         "( TUR AMY BUL ) MTO SER",
                                         "( TUR FLT AEG ) SUP ( TUR AMY BUL )",
                                         "( RUS AMY UKR ) MTO GAL",
                                         "( RUS AMY WAR ) SUP ( RUS AMY UKR ) MTO GAL",
                                         "( RUS AMY RUM ) MTO BUD",
                                         "( RUS FLT BLA ) MTO BUL",
                                         "( RUS FLT GOB ) HLD",
                                         "( ENG AMY NWY ) HLD"};

void BM_AdjudicateCrowdedMovement(benchmark::State& state) {
  rules::RulesGame game;
  if (game.load_map(bench::standard_map_message()) != -1 ||
      game.load_position(parsed(bench::kFrontLinesNow), parsed(rules::standard_start_sco())) !=
          -1) {
    state.SkipWithError("position does not load");
    return;
  }
  std::map<int, rules::Order> orders;
  for (const char* text : kFrontLinesOrders) {
    const TokenMessage order = parsed(text);
    const int power = order.sub_message(0).token_at(0).subtoken();
    const rules::CheckedOrder checked =
        rules::check_order(game.map(), game.position(), power, order);
    if (checked.note != tok::MBV) {
      state.SkipWithError(text);
      return;
    }
    orders[checked.order.unit.location.province] = checked.order;
  }
  state.counters["units"] = static_cast<double>(game.position().units.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(rules::adjudicate_movement(game.map(), game.position(), orders));
  }
}
BENCHMARK(BM_AdjudicateCrowdedMovement)->Unit(benchmark::kMicrosecond);

// A whole game of seven random players to 1935: ordering, checking and processing.
void BM_RandomGame(benchmark::State& state) {
  const TokenMessage mdf = bench::standard_map_message();
  unsigned seed = 1;
  long phases = 0;
  for (auto _ : state) {
    rules::RulesGame game;
    game.load_map(mdf);
    game.load_position(parsed(rules::standard_start_now()), parsed(rules::standard_start_sco()));
    std::mt19937 rng(seed++);
    while (game.winner() < 0 && game.position().year <= 1935) {
      for (int power = 0; power < 7; ++power) {
        if (!game.has_decisions(power)) continue;
        for (const TokenMessage& order : opponents::random_orders(game, power, rng))
          game.submit(power, order);
      }
      game.process();
      ++phases;
    }
  }
  state.counters["phases/game"] =
      static_cast<double>(phases) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RandomGame)->Unit(benchmark::kMillisecond);

}  // namespace
