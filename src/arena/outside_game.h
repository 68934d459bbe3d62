#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arena/arena_player.h"
#include "arena/game_result.h"
#include "protocol/game_variant.h"
#include "rules/map_file.h"

namespace quorvel::arena {

// What a game with outside programs needs beyond an in-process one.
struct OutsideGameOptions {
  int connect_seconds = 30;  // to connect and join, each program in turn
  int move_seconds = 60;     // the phases' time limits
  int retreat_seconds = 30;
  int build_seconds = 30;
  // Where each program's working folder goes (FOLDER/game-SEED/POWER); kept when
  // keep_folders, else removed after the game.
  std::string folder;
  bool keep_folders = false;
};

// Plays one game hosted by our server over TCP on a free port of the loopback interface:
// each outside program's seat gets its program started (one by one, each joining before
// the next starts, so that each takes its own seat), house players and in-process
// Quorvels take part as in play_game. A program that never connects and joins in time, or
// exits, is killed, stops answering (misses a time limit) or breaks the protocol leaves
// its power in civil disorder, and the game goes on; every program's process group is
// stopped when the game ends. Each outside seat's result says how its program ended and
// in which phase it failed.
GameResult play_outside_game(const std::vector<const ArenaPlayer*>& by_power, std::uint64_t seed,
                             int last_year, const std::string& record_path,
                             const GameVariant& press, const rules::MapFile& map,
                             const OutsideGameOptions& outside);

}  // namespace quorvel::arena
