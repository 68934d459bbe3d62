#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "rules/order.h"
#include "rules/rules_game.h"

namespace quorvel::search {

// A look past the phase: the game processed with a movement phase's orders (retreats and
// adjustments between played by the greedy rule), then draws of the next movement phase
// with every power that can touch the bot's units or centres, the bot's included, playing
// by the greedy rule and the rest holding.
class LookAhead {
 public:
  LookAhead(const rules::RulesGame& game, int power, int draws);

  // The mean of the power's centres held after each draw of the next movement phase (those
  // its units stand in, and its own with no foreign unit in them); its centres when the
  // game ends first. The draws follow the seed: orders with the same outcome and the same
  // seed give the same value, which is then not computed again.
  double centres_after(const std::map<int, rules::Order>& orders, std::uint32_t seed);

 private:
  double play_on(rules::RulesGame& next, std::uint32_t seed) const;

  const rules::RulesGame& game_;
  int power_;
  int draws_;
  std::map<std::vector<int>, double> known_;  // by the outcome and the seed
};

}  // namespace quorvel::search
