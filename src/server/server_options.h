#pragma once

#include <optional>
#include <string>
#include <vector>

#include "opponents/house_opponent.h"

namespace quorvel::server {

using opponents::OpponentKind;

// The server's command line, in the bot's style: a letter and its value, no space.
struct ServerOptions {
  int port = 16713;    // -p; 0 picks a free port
  int open_seats = 7;  // -o: powers kept for clients; the rest get opponents
  OpponentKind opponents = OpponentKind::kRandom;  // -k: hold, random, greedy, honest or liar
  int press_level = 0;                             // -l: the press level; 0 no press
  int last_year = 1935;                            // -y: the game is drawn after this year
  int move_seconds = 0;                            // -m: time limit of movement phases; 0 none
  int retreat_seconds = 0;                         // -r
  int build_seconds = 0;                           // -b
  int im_seconds = 30;              // -i: how long a connection may wait with its IM, or stall
                                    // in the middle of a message
  std::string map_file;             // -a: the map and its start (the standard map when empty)
  std::string record = "game.txt";  // -g: the game record
  std::string chart;                // -c: the chart of centres per year (SVG); none when empty
  std::optional<unsigned> seed;     // -s: seed of the opponents and the seating
  bool help = false;                // --help
};

struct ParsedOptions {
  ServerOptions options;
  std::vector<std::string> errors;
};

ParsedOptions parse_server_options(const std::vector<std::string>& args);
std::string server_usage();

}  // namespace quorvel::server
