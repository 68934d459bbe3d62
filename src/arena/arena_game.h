#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arena/arena_player.h"
#include "arena/game_result.h"

namespace quorvel::arena {

// Plays one game of the standard map in this process, the player of each power given in
// power order, to the last year (then a draw). The local server's session runs it, so each
// Quorvel gets exactly the messages a server sends and its orders go through the rules'
// checks; everything random in the game follows from the seed. With a record path, the
// server's record of the game (every message, the result table) is written there.
GameResult play_game(const std::vector<const ArenaPlayer*>& by_power, std::uint64_t seed,
                     int last_year, const std::string& record_path = "");

}  // namespace quorvel::arena
