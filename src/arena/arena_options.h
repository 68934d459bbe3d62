#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "arena/arena_player.h"
#include "arena/cluster.h"
#include "protocol/game_variant.h"
#include "rules/map_file.h"

namespace quorvel::arena {

struct ArenaOptions {
  std::vector<ArenaPlayer> players;   // one per power at most; the last fills the remaining seats
  std::optional<rules::MapFile> map;  // --map: the map and its start; the standard map when none
  int games = 70;
  std::uint64_t seed = 1;  // game i plays with seed + i
  int last_year = 1910;    // then a draw
  GameVariant press;       // the press level of the games (0: none) and their options
  int jobs = 1;            // threads; the parser's default is the number of cores
  int shard = 1;           // plays the games i with i mod shards = shard - 1
  int shards = 1;
  std::string out;         // one JSON line per game
  std::string record_dir;  // game i as game-<seed>.txt, .json and .html
  std::string chart;       // mean centres per year of each player, as SVG
  bool quiet = false;
  // Outside programs: seconds to connect and join, and each phase's time limit.
  int connect_seconds = 30;
  int move_seconds = 60;
  int retreat_seconds = 30;
  int build_seconds = 30;
  bool void_failed = false;  // games with a failed outside program are left out of the scores
  // Seats of the first and the second player in every game; none: the rotation.
  std::optional<std::pair<int, int>> lineup;
  const Cluster* cluster = nullptr;  // the ranks the games are spread over; none: this process
};

struct ParsedArenaOptions {
  ArenaOptions options;
  std::string error;  // empty when the command line is good
};

// PLAYER... [--games N] [--seed S] [--last-year Y] [--press LEVEL] [--press-options LIST]
// [--map FILE] [--jobs J] [--shard K/N] [--out FILE] [--record DIR] [--chart FILE] [--quiet]
// [--move-time S] [--retreat-time S] [--build-time S] [--connect-time S] [--void-failed]
// [--lineup A:B];
// a value may also follow
// its option after "=". A map file is read here: its fault is the command line's error.
ParsedArenaOptions parse_arena_options(const std::vector<std::string>& args);
std::string arena_usage();

// The player of each seat in game i, for seats 0 to powers - 1 (the powers of the map in
// their order): the first player takes seat i mod powers, the next the seat after it, and
// so on round the board; the last player fills the rest.
std::vector<const ArenaPlayer*> seating(const std::vector<ArenaPlayer>& players, int game,
                                        int powers);
// With a line-up of A seats for the first player and B for the second, in game i the
// first takes the A seats from i mod powers on, the second the B after them.
std::vector<const ArenaPlayer*> lineup_seating(const std::vector<ArenaPlayer>& players,
                                               std::pair<int, int> lineup, int game, int powers);

}  // namespace quorvel::arena
