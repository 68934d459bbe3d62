#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/ini_store.h"

namespace quorvel::arena {

// How one power ended a game.
struct PowerResult {
  std::string power;   // "AUS"
  std::string player;  // the arena player's label
  int centres = 0;
  int refused = 0;  // orders the rules refused
  // In games with press: press it sent that was delivered, agreements it made, and those
  // it broke.
  int press = 0;
  int agreements = 0;
  int broken = 0;
  int press_refused = 0;  // its press that got HUH or REJ
  // An outside program's seat: how its program ended ("ok", "no-connect", "exited N",
  // "signal N", "timeout", "protocol") and the phase it failed in; empty for the others.
  std::string program;
  std::string failed_in;

  bool failed() const { return !program.empty() && program != "ok"; }
};

// One game of an arena run, as one line of the result file.
struct GameResult {
  std::uint64_t seed = 0;
  int years = 0;  // years played: 10 for a game drawn after 1910
  int press_level = 0;
  std::string winner;  // the power that won alone; empty for a draw
  // The powers sharing a draw the game allowed to name them; empty for a draw of all
  // survivors.
  std::vector<std::string> drawn;
  std::vector<PowerResult> powers;  // in token order
  bool stalled = false;             // a player failed to order; not in the line
  int phases = 0;                   // phases played; not in the line
  // The settings a Quorvel that won alone after mutating them would keep, as the bot
  // writes them back to its file; not in the line.
  std::optional<IniStore> learned;
  // Every power's centres after each year's autumn, by year; not in the line.
  std::map<int, std::vector<int>> centres_by_year;

  int refused() const;
  bool solo() const { return !winner.empty(); }
  // Whether an outside program of the game failed.
  bool failed() const;
};

// {"seed": 12, "years": 10, "result": "draw", "winner": null, "refused": 0, "powers": [...]};
// a game with press has "press": level after the years, and each power its press,
// agreements, broken and press_refused; a partial draw "draw": [powers] after the winner;
// an outside program's seat "program": "exited 1" and, when it failed, "failed_in": "F1903M".
std::string to_json_line(const GameResult& result);
// nullopt when the line is not such a result.
std::optional<GameResult> from_json_line(const std::string& line);

// The whole result, what is not in the line too, as one rank of a cluster hands it to
// the others; results_from_wire answers nullopt for text that is not such a list.
std::string results_to_wire(const std::vector<GameResult>& results);
std::optional<std::vector<GameResult>> results_from_wire(const std::string& text);

}  // namespace quorvel::arena
