#pragma once

#include <memory>
#include <string>

#include "game/game_board.h"
#include "support/messages.h"

namespace quorvel::testing {

// A board of its own with the standard map, playing the given power ("" for none).
inline std::unique_ptr<GameBoard> standard_board(const std::string& power = "") {
  auto board = std::make_unique<GameBoard>();
  EXPECT_EQ(board->set_map(standard_map_message()), -1);
  if (!power.empty()) board->set_own_power(parse(power).first_token());
  return board;
}

inline const std::string kStartSco =
    "SCO ( AUS BUD TRI VIE ) ( ENG EDI LON LVP ) ( FRA BRE MAR PAR ) ( GER BER KIE MUN ) "
    "( ITA NAP ROM VEN ) ( RUS MOS SEV STP WAR ) ( TUR ANK CON SMY ) "
    "( UNO BEL BUL DEN GRE HOL NWY POR RUM SER SPA SWE TUN )";

inline const std::string kStartNow =
    "NOW ( SPR 1901 ) ( AUS AMY BUD ) ( AUS AMY VIE ) ( AUS FLT TRI ) ( ENG FLT EDI ) "
    "( ENG FLT LON ) ( ENG AMY LVP ) ( FRA FLT BRE ) ( FRA AMY MAR ) ( FRA AMY PAR ) "
    "( GER FLT KIE ) ( GER AMY BER ) ( GER AMY MUN ) ( ITA FLT NAP ) ( ITA AMY ROM ) "
    "( ITA AMY VEN ) ( RUS AMY WAR ) ( RUS AMY MOS ) ( RUS FLT SEV ) ( RUS FLT ( STP SCS ) ) "
    "( TUR FLT ANK ) ( TUR AMY CON ) ( TUR AMY SMY )";

inline int province(const std::string& name) {
  return parse(name).first_token().subtoken();
}

}  // namespace quorvel::testing
