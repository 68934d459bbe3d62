#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arena/arena_player.h"
#include "arena/game_result.h"
#include "protocol/game_variant.h"
#include "rules/map_file.h"
#include "rules/standard_map.h"

namespace quorvel::arena {

// Rounds of press after each NOW before the orders are taken; what is still pending then
// is delivered in the next phase.
inline constexpr int kPressRounds = 10;

// Plays one game in this process on the map given (the standard map by default), the
// player of each power given in power order (none for a power the map leaves out), to the
// last year (then a draw). The local server's session runs it, so each
// Quorvel gets exactly the messages a server sends and its orders go through the rules'
// checks; everything random in the game follows from the seed. With a record path, the
// server's record of the game (every message, the result table) is written there, and the
// game in the field's saved-game format and its board page beside it (the same name,
// ending in .json and .html).
//
// At a press level of 10 or more (and the press options given), press goes round in rounds after
// each NOW: all press sent so far is delivered in the order it was sent, each player handles what
// it got and may answer, until none is pending or kPressRounds are done; then the house players
// order and the phase is processed once every player has.
GameResult play_game(const std::vector<const ArenaPlayer*>& by_power, std::uint64_t seed,
                     int last_year, const std::string& record_path = "",
                     const GameVariant& press = {},
                     const rules::MapFile& map = rules::standard_map_file());

}  // namespace quorvel::arena
