#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "protocol/token_message.h"
#include "rules/rules_game.h"
#include "savedgame/order_text.h"
#include "savedgame/saved_game.h"

namespace quorvel::savedgame {

// "S1901M" for the spring movement of 1901, "F1901R", "W1901A".
std::string phase_name(Token season, int year);

// The saved game of a game the rules play, kept phase by phase as its host runs it.
class GameCapture {
 public:
  // The game's rules and map must outlive the capture.
  GameCapture(const rules::RulesGame& game, std::string id, std::string map_name,
              std::vector<std::string> rules);

  // The phase the game stands in, as it begins; disorder: the powers in civil disorder.
  void begin_phase(const std::vector<bool>& disorder);
  // Press delivered in the current phase: one entry per recipient, its tokens printed.
  void message(int sender, const std::vector<int>& recipients, const std::string& press);
  // Free text for the current phase's note (a line each).
  void note(const std::string& text);
  // Just before the phase is processed: the orders it was given.
  void take_orders();
  // Just after: each unit's result.
  void processed(const std::vector<rules::RulesGame::OrderResult>& results);
  // The game has ended: the phase it ended in, "COMPLETED", says who shares the victory (a
  // game stopped in the middle of a phase ends there).
  void finish(const std::vector<int>& victors, const std::vector<bool>& disorder);

  const SavedGame& game() const { return game_; }
  // Keeps only the phase going on, for a user that has taken the others.
  void forget_done_phases();

 private:
  PhaseState state(const std::vector<bool>& disorder);
  std::int64_t next_time();

  const rules::RulesGame& rules_;
  MapNames names_;
  SavedGame game_;
  bool phase_open_ = false;        // the last phase is begun and not yet processed
  std::set<std::string> ordered_;  // units given an order in the phase being processed
  rules::Position before_;         // the position the orders were given in
  std::vector<int> influence_;     // per province, the power that last held it, or -1
  std::vector<Token> owners_;      // the centres' owners the influence last saw
  std::int64_t last_time_ = 0;
};

}  // namespace quorvel::savedgame
