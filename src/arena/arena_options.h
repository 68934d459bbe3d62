#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "arena/arena_player.h"

namespace quorvel::arena {

struct ArenaOptions {
  std::vector<ArenaPlayer> players;  // one to seven; the last fills the remaining seats
  int games = 70;
  std::uint64_t seed = 1;  // game i plays with seed + i
  int last_year = 1910;    // then a draw
  int press = 0;           // the press level of the games; 0: none
  int jobs = 1;            // threads; the parser's default is the number of cores
  int shard = 1;           // plays the games i with i mod shards = shard - 1
  int shards = 1;
  std::string out;         // one JSON line per game
  std::string record_dir;  // the record of game i as game-<seed>.txt
  std::string chart;       // mean centres per year of each player, as SVG
  bool quiet = false;
};

struct ParsedArenaOptions {
  ArenaOptions options;
  std::string error;  // empty when the command line is good
};

// PLAYER... [--games N] [--seed S] [--last-year Y] [--press LEVEL] [--jobs J] [--shard K/N]
// [--out FILE] [--record DIR] [--chart FILE] [--quiet]; a value may also follow its option
// after "=".
ParsedArenaOptions parse_arena_options(const std::vector<std::string>& args);
std::string arena_usage();

// The player of each power in game i: the first player takes power i mod 7, the next
// the power after it, and so on round the board; the last player fills the rest.
std::vector<const ArenaPlayer*> seating(const std::vector<ArenaPlayer>& players, int game,
                                        int powers);

}  // namespace quorvel::arena
