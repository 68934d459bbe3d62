#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>

#include "protocol/tokens.h"
#include "rules/movement.h"
#include "rules/rules_game.h"
#include "rules/standard_map.h"
#include "server/random_opponent.h"

namespace {

using namespace quorvel;

TokenMessage parsed(std::string_view text) {
  TokenMessage message;
  if (message.parse_text(text) != -1) std::abort();
  return message;
}

const char* const kStartNow =
    "NOW ( SPR 1901 ) ( AUS AMY BUD ) ( AUS AMY VIE ) ( AUS FLT TRI ) ( ENG FLT EDI ) "
    "( ENG FLT LON ) ( ENG AMY LVP ) ( FRA FLT BRE ) ( FRA AMY MAR ) ( FRA AMY PAR ) "
    "( GER FLT KIE ) ( GER AMY BER ) ( GER AMY MUN ) ( ITA FLT NAP ) ( ITA AMY ROM ) "
    "( ITA AMY VEN ) ( RUS AMY WAR ) ( RUS AMY MOS ) ( RUS FLT SEV ) ( RUS FLT ( STP SCS ) ) "
    "( TUR FLT ANK ) ( TUR AMY CON ) ( TUR AMY SMY )";
const char* const kStartSco =
    "SCO ( AUS BUD TRI VIE ) ( ENG EDI LON LVP ) ( FRA BRE MAR PAR ) ( GER BER KIE MUN ) "
    "( ITA NAP ROM VEN ) ( RUS MOS SEV STP WAR ) ( TUR ANK CON SMY ) "
    "( UNO BEL BUL DEN GRE HOL NWY POR RUM SER SPA SWE TUN )";

// 34 units at the front lines, with supports, convoys, a head-to-head and a cycle.
const char* const kCrowdedNow =
    "NOW ( FAL 1905 ) ( AUS AMY BUD ) ( AUS AMY GAL ) ( AUS FLT ADR ) ( AUS AMY SER ) "
    "( AUS FLT GRE ) ( AUS AMY TYR ) ( ENG FLT NTH ) ( ENG FLT NWG ) ( ENG AMY NWY ) "
    "( ENG FLT ECH ) ( ENG AMY YOR ) ( FRA AMY BUR ) ( FRA AMY BEL ) ( FRA FLT MAO ) "
    "( FRA AMY PIC ) ( FRA FLT WES ) ( FRA AMY GAS ) ( FRA FLT ( SPA SCS ) ) ( GER AMY RUH ) "
    "( GER AMY HOL ) ( GER FLT HEL ) ( GER AMY MUN ) ( GER AMY SIL ) ( ITA AMY PIE ) "
    "( ITA FLT TYS ) ( ITA AMY VEN ) ( ITA FLT ION ) ( RUS AMY UKR ) ( RUS AMY WAR ) "
    "( RUS FLT GOB ) ( RUS AMY RUM ) ( RUS FLT BLA ) ( TUR AMY BUL ) ( TUR FLT AEG )";
const char* const kCrowdedOrders[] = {"( ENG AMY YOR ) CTO BEL VIA ( NTH )",
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
  if (game.load_map(parsed(rules::standard_map_text())) != -1 ||
      game.load_position(parsed(kCrowdedNow), parsed(kStartSco)) != -1) {
    state.SkipWithError("position does not load");
    return;
  }
  std::map<int, rules::Order> orders;
  for (const char* text : kCrowdedOrders) {
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
  const TokenMessage mdf = parsed(rules::standard_map_text());
  unsigned seed = 1;
  long phases = 0;
  for (auto _ : state) {
    rules::RulesGame game;
    game.load_map(mdf);
    game.load_position(parsed(kStartNow), parsed(kStartSco));
    std::mt19937 rng(seed++);
    while (game.winner() < 0 && game.position().year <= 1935) {
      for (int power = 0; power < 7; ++power) {
        if (!game.has_decisions(power)) continue;
        for (const TokenMessage& order : server::random_orders(game, power, rng))
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
