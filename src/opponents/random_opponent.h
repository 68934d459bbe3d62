#pragma once

#include <random>
#include <vector>

#include "protocol/token_message.h"
#include "rules/rules_game.h"

namespace quorvel::opponents {

// The random house opponent: orders a power at random among orders the rules allow:
// holds, moves, supports, convoys, retreats, disbands, builds, waives and removals
// (sometimes too few, leaving the rest to civil disorder).
std::vector<TokenMessage> random_orders(const rules::RulesGame& game, int power, std::mt19937& rng);

}  // namespace quorvel::opponents
