#pragma once

#include <optional>
#include <string>
#include <vector>

#include "opponents/house_opponent.h"
#include "protocol/game_variant.h"

namespace quorvel::server {

using opponents::OpponentKind;

// The server's command line, in the bot's style: a letter and its value, no space.
struct ServerOptions {
  int port = 16713;    // -p; 0 picks a free port
  int open_seats = 7;  // -o: powers kept for clients; the rest get opponents
  OpponentKind opponents = OpponentKind::kRandom;  // -k: hold, random, greedy, honest or liar
  // -l the press level, -m -r -b the phases' time limits, -v the options of press games.
  GameVariant variant;
  int last_year = 1935;             // -y: the game is drawn after this year
  int im_seconds = 30;              // -i: how long a connection may wait with its IM, or stall
                                    // in the middle of a message
  std::string map_file;             // -a: the map and its start (the standard map when empty)
  std::string record = "game.txt";  // -g: the game record
  std::string chart;                // -c: the chart of centres per year (SVG); none when empty
  std::string saved_game;           // -j: the game in the field's JSON format, as it goes
  std::string watch_address;        // -w: where the live page is served (none when empty)
  int watch_port = -1;
  std::optional<unsigned> seed;  // -s: seed of the opponents and the seating
  bool loopback_only = false;    // listens on the loopback interface alone (a host's choice)
  bool help = false;             // --help
};

struct ParsedOptions {
  ServerOptions options;
  std::vector<std::string> errors;
};

ParsedOptions parse_server_options(const std::vector<std::string>& args);
// Takes one option of press games, as -v writes it: PDA, NPR, NPB or PTL=SECONDS; false
// when it is none of them.
bool read_press_option(const std::string& text, GameVariant& variant);
std::string server_usage();

}  // namespace quorvel::server
