#pragma once

#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "protocol/token_message.h"
#include "rules/rules_game.h"

namespace quorvel::opponents {

// The players a game host supplies itself. They see the game as the rules do and order
// through the same checks as any client.
enum class OpponentKind { kHolder, kRandom, kGreedy };

// "hold", "random" or "greedy".
std::optional<OpponentKind> opponent_kind(std::string_view name);
// The name a seat of this kind introduces itself with: "Holder", "Random", "Greedy".
const char* opponent_player_name(OpponentKind kind);

// The orders of the power for the current phase; a holder orders nothing.
std::vector<TokenMessage> house_orders(OpponentKind kind, const rules::RulesGame& game, int power,
                                       std::mt19937& rng);

}  // namespace quorvel::opponents
