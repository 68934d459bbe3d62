#pragma once

#include <random>
#include <vector>

#include "protocol/token_message.h"
#include "rules/referee.h"
#include "rules/rules_game.h"

namespace quorvel::opponents {

// What each province is worth to a power, as the greedy player sees it: a base value
// (centres of other powers by the size of their owner, neutral centres a fixed value,
// own centres by the strongest foreign power next to them) spread over the map so that
// far targets still pull, one table per unit type.
struct DestinationValues {
  std::vector<double> base;   // by province
  std::vector<double> army;   // by province
  std::vector<double> fleet;  // by province
  // Whether a foreign unit stands in the province or can move to it, by province.
  std::vector<bool> contested;

  double of(bool is_army, int province) const {
    return (is_army ? army : fleet)[static_cast<std::size_t>(province)];
  }
};

DestinationValues destination_values(const rules::RulesGame& game, int power);

// The greedy house player's orders for the power in the current phase: every unit goes
// for the best place it can reach (with a little chance), contested moves get a support
// where a free unit can give one, retreats and builds go to the best places, removals
// take the units worth least. Every order is one the rules accept. With restrictions, no
// unit goes, supports a move or retreats or is built where they forbid it.
std::vector<TokenMessage> greedy_orders(const rules::RulesGame& game, int power, std::mt19937& rng,
                                        const rules::Restrictions* restrictions = nullptr);

// Draws of the greedy player's orders for the power in a movement phase, as greedy_orders
// draws them, its values computed once.
std::vector<std::vector<TokenMessage>> greedy_movement_draws(
    const rules::RulesGame& game, int power, std::mt19937& rng, int count,
    const rules::Restrictions* restrictions = nullptr);
// The same draws as the rules read them, for a game played on without reading orders.
std::vector<std::vector<rules::Order>> greedy_movement_order_draws(
    const rules::RulesGame& game, int power, std::mt19937& rng, int count,
    const rules::Restrictions* restrictions = nullptr);

}  // namespace quorvel::opponents
