#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "game/game_board.h"
#include "protocol/tokens.h"

namespace {

using quorvel::GameBoard;
using quorvel::TokenMessage;

TokenMessage parsed(const std::string& text) {
  TokenMessage message;
  if (message.parse_text(text) != -1) std::abort();
  return message;
}

TokenMessage standard_map() {
  std::ifstream in(std::string(QUORVEL_DATA_DIR) + "/maps/standard.mdf");
  std::ostringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
    s.pop_back();
  return parsed(s);
}

const char* const kStartNow =
    "NOW ( SPR 1901 ) ( AUS AMY BUD ) ( AUS AMY VIE ) ( AUS FLT TRI ) ( ENG FLT EDI ) "
    "( ENG FLT LON ) ( ENG AMY LVP ) ( FRA FLT BRE ) ( FRA AMY MAR ) ( FRA AMY PAR ) "
    "( GER FLT KIE ) ( GER AMY BER ) ( GER AMY MUN ) ( ITA FLT NAP ) ( ITA AMY ROM ) "
    "( ITA AMY VEN ) ( RUS AMY WAR ) ( RUS AMY MOS ) ( RUS FLT SEV ) ( RUS FLT ( STP SCS ) ) "
    "( TUR FLT ANK ) ( TUR AMY CON ) ( TUR AMY SMY )";

void BM_SetMapStandard(benchmark::State& state) {
  const TokenMessage mdf = standard_map();
  auto board = std::make_unique<GameBoard>();
  for (auto _ : state)
    benchmark::DoNotOptimize(board->set_map(mdf));
}
BENCHMARK(BM_SetMapStandard)->Unit(benchmark::kMicrosecond);

void BM_SetPosition1901(benchmark::State& state) {
  auto board = std::make_unique<GameBoard>();
  if (board->set_map(standard_map()) != -1) std::abort();
  board->set_own_power(quorvel::tok::RUS);
  const TokenMessage now = parsed(kStartNow);
  for (auto _ : state)
    benchmark::DoNotOptimize(board->set_position(now));
}
BENCHMARK(BM_SetPosition1901)->Unit(benchmark::kMicrosecond);

}  // namespace
