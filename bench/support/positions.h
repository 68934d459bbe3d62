// Messages and positions the benchmarks share.
#pragma once

#include <cstdlib>
#include <string_view>

#include "protocol/token_message.h"
#include "rules/standard_map.h"

namespace quorvel::bench {

// Benchmark inputs are fixed: text that does not parse is a bug in the benchmark.
inline TokenMessage parsed(std::string_view text) {
  TokenMessage message;
  if (message.parse_text(text) != -1) std::abort();
  return message;
}

inline TokenMessage standard_map_message() {
  return parsed(rules::standard_map_text());
}

// A crowded autumn: 34 units, most of them at the front lines.
inline constexpr const char* kFrontLinesSco =
    "SCO ( AUS BUD TRI VIE SER GRE ) ( ENG EDI LON LVP NWY ) ( FRA BRE MAR PAR SPA POR BEL ) "
    "( GER BER KIE MUN DEN HOL ) ( ITA NAP ROM VEN TUN ) ( RUS MOS SEV STP WAR SWE RUM ) "
    "( TUR ANK CON SMY BUL )";

inline constexpr const char* kFrontLinesNow =
    "NOW ( FAL 1905 ) ( AUS AMY BUD ) ( AUS AMY GAL ) ( AUS FLT ADR ) ( AUS AMY SER ) "
    "( AUS FLT GRE ) ( AUS AMY TYR ) ( ENG FLT NTH ) ( ENG FLT NWG ) ( ENG AMY NWY ) "
    "( ENG FLT ECH ) ( ENG AMY YOR ) ( FRA AMY BUR ) ( FRA AMY BEL ) ( FRA FLT MAO ) "
    "( FRA AMY PIC ) ( FRA FLT WES ) ( FRA AMY GAS ) ( FRA FLT ( SPA SCS ) ) ( GER AMY RUH ) "
    "( GER AMY HOL ) ( GER FLT HEL ) ( GER AMY MUN ) ( GER AMY SIL ) ( ITA AMY PIE ) "
    "( ITA FLT TYS ) ( ITA AMY VEN ) ( ITA FLT ION ) ( RUS AMY UKR ) ( RUS AMY WAR ) "
    "( RUS FLT GOB ) ( RUS AMY RUM ) ( RUS FLT BLA ) ( TUR AMY BUL ) ( TUR FLT AEG )";

// France at 17 units in a crowded autumn.
inline constexpr const char* kCrowdedSco =
    "SCO ( FRA BRE MAR PAR SPA POR BEL HOL DEN KIE BER MUN LON LVP EDI TUN NAP ROM ) "
    "( GER SWE NWY ) ( RUS MOS SEV STP WAR RUM ) ( AUS BUD TRI VIE SER GRE VEN ) "
    "( TUR ANK CON SMY BUL )";

inline constexpr const char* kCrowdedNow =
    "NOW ( FAL 1906 ) ( FRA AMY BRE ) ( FRA AMY PAR ) ( FRA FLT MAO ) ( FRA FLT ( SPA SCS ) ) "
    "( FRA AMY BUR ) ( FRA AMY BEL ) ( FRA AMY HOL ) ( FRA FLT NTH ) ( FRA AMY KIE ) "
    "( FRA AMY MUN ) ( FRA FLT LON ) ( FRA AMY YOR ) ( FRA FLT WES ) ( FRA FLT TYS ) "
    "( FRA AMY PIE ) ( FRA AMY TYR ) ( FRA FLT HEL ) ( GER AMY BER ) ( GER FLT SKA ) "
    "( GER AMY SIL ) ( RUS AMY WAR ) ( RUS AMY PRU ) ( RUS FLT BAL ) ( RUS AMY UKR ) "
    "( AUS AMY VIE ) ( AUS AMY BOH ) ( AUS AMY VEN ) ( AUS FLT ADR ) ( AUS FLT ION ) "
    "( TUR FLT AEG ) ( TUR AMY BUL ) ( TUR FLT EAS ) ( TUR AMY SER )";

}  // namespace quorvel::bench
