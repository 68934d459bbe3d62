#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace {

using quorvel::GameBoard;
using quorvel::ProvinceValuation;
using quorvel::TokenMessage;

TokenMessage parsed(const std::string& text) {
  TokenMessage message;
  if (message.parse_text(text) != -1) std::abort();
  return message;
}

std::unique_ptr<GameBoard> standard_board() {
  std::ifstream in(std::string(QUORVEL_DATA_DIR) + "/maps/standard.mdf");
  std::ostringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
    s.pop_back();
  auto board = std::make_unique<GameBoard>();
  if (board->set_map(parsed(s)) != -1) std::abort();
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

// A crowded autumn: 34 units, most of them at the front lines.
const char* const kCrowdedSco =
    "SCO ( AUS BUD TRI VIE SER GRE ) ( ENG EDI LON LVP NWY ) ( FRA BRE MAR PAR SPA POR BEL ) "
    "( GER BER KIE MUN DEN HOL ) ( ITA NAP ROM VEN TUN ) ( RUS MOS SEV STP WAR SWE RUM ) "
    "( TUR ANK CON SMY BUL )";

const char* const kCrowdedNow =
    "NOW ( FAL 1905 ) ( AUS AMY BUD ) ( AUS AMY GAL ) ( AUS FLT ADR ) ( AUS AMY SER ) "
    "( AUS FLT GRE ) ( AUS AMY TYR ) ( ENG FLT NTH ) ( ENG FLT NWG ) ( ENG AMY NWY ) "
    "( ENG FLT ECH ) ( ENG AMY YOR ) ( FRA AMY BUR ) ( FRA AMY BEL ) ( FRA FLT MAO ) "
    "( FRA AMY PIC ) ( FRA FLT WES ) ( FRA AMY GAS ) ( FRA FLT ( SPA SCS ) ) ( GER AMY RUH ) "
    "( GER AMY HOL ) ( GER FLT HEL ) ( GER AMY MUN ) ( GER AMY SIL ) ( ITA AMY PIE ) "
    "( ITA FLT TYS ) ( ITA AMY VEN ) ( ITA FLT ION ) ( RUS AMY UKR ) ( RUS AMY WAR ) "
    "( RUS FLT GOB ) ( RUS AMY RUM ) ( RUS FLT BLA ) ( TUR AMY BUL ) ( TUR FLT AEG )";

void BM_SetupMap(benchmark::State& state) {
  auto board = standard_board();
  ProvinceValuation valuation(*board);
  load_settings(valuation);
  for (auto _ : state)
    valuation.setupMap();
}
BENCHMARK(BM_SetupMap)->Unit(benchmark::kMicrosecond);

void evaluate(benchmark::State& state, const char* sco, const char* now) {
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
  evaluate(state, kStartSco, kStartNow);
}
BENCHMARK(BM_EvaluateTurn1901)->Unit(benchmark::kMicrosecond);

void BM_EvaluateTurnCrowded(benchmark::State& state) {
  evaluate(state, kCrowdedSco, kCrowdedNow);
}
BENCHMARK(BM_EvaluateTurnCrowded)->Unit(benchmark::kMicrosecond);

}  // namespace
