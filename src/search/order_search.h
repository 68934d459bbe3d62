#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "game/agreements.h"
#include "protocol/token_message.h"
#include "rules/rules_game.h"
#include "search/plan_model.h"
#include "settings/bot_settings.h"

namespace quorvel {
class GameBoard;
class ProvinceValuation;
class TraceLog;
class TurnPlanner;
}  // namespace quorvel

namespace quorvel::search {

// What the search did in a phase.
struct SearchReport {
  int own_candidates = 0;  // the bot's order sets weighed (its plan counted)
  int powers = 0;          // powers in reach, whose choices were weighed
  int rounds = 0;          // rounds of regret matching
  int scored = 0;          // own order sets scored against the others' likely choices
  int looked_ahead = 0;    // own order sets looked past
  int chosen = 0;          // 0: the plan itself; else the chosen set's place
  bool out_of_time = false;
};

// The bot's search over a movement phase's likely orders: the plan, its best variants and
// supported attacks against a few order sets of each power in reach (the greedy rule's
// draws, kept to what a partner agreed, and the bot's own plan search run for that power,
// each weighed by how well it foresaw the power so far), every outcome adjudicated by the
// rules and valued; regret matching, when given rounds, moves how likely each set is, and
// the bot's set that does best against those choices is played. Powers out of reach give
// their likeliest set. It sees the game through the messages the server sent.
class OrderSearch {
 public:
  void set_map(const TokenMessage& mdf);
  void set_centres(const TokenMessage& sco);
  void set_position(const TokenMessage& now);
  // An order's result (ORD): what the power did, against what each way of foreseeing it
  // said it would do.
  void observe_result(const TokenMessage& ord);
  // How likely it is that the bot's own plan search foresees the power better than the
  // greedy rule (0 to 1), by the orders it gave in earlier movement phases; a half before
  // any.
  double plan_share(int power) const;
  // The map and a position read without fault.
  bool ready() const { return map_ok_ && position_ok_; }

  // What was foreseen of one unit's order: each order, with the share of the greedy rule's
  // sets that give it, and whether the plan model gives it.
  struct Foreseen {
    int power;
    TokenMessage unit;
    std::vector<TokenMessage> orders;
    std::vector<double> greedy;
    std::vector<double> plan;
  };
  // Of the last movement phase searched, for the powers in reach.
  const std::vector<Foreseen>& foreseen() const { return foreseen_; }
  const rules::RulesGame& game() const { return game_; }

  // Chooses among the planner's plan (on the board already) and its variants, and writes
  // the choice onto the board; variants whose orders break the bot's word (keeps_word
  // reads the board's orders) are never weighed. restrictions: per power, what it agreed
  // (null for none). The board keeps the plan when anything fails or time runs out first.
  SearchReport choose(GameBoard& board, TurnPlanner& planner, const ProvinceValuation& valuation,
                      const SearchSettings& settings, std::uint32_t seed,
                      const std::function<bool()>& keeps_word,
                      const std::vector<const Obligations*>& restrictions, TraceLog& trace);

 private:
  void load();
  PlanModel& model(int power, const IniStore& settings);

  // By power: the log-likelihoods of the orders it gave, by each way of foreseeing them.
  struct Evidence {
    double greedy = 0;
    double plan = 0;
  };

  rules::RulesGame game_;
  TokenMessage mdf_;
  TokenMessage sco_;
  TokenMessage now_;
  std::vector<std::unique_ptr<PlanModel>> models_;  // by power, made when first needed
  std::vector<Foreseen> foreseen_;                  // of the last movement phase searched
  std::vector<Evidence> evidence_;                  // by power
  bool map_ok_ = false;
  bool position_ok_ = false;
};

}  // namespace quorvel::search
