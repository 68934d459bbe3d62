#pragma once

#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "protocol/token_message.h"
#include "rules/referee.h"
#include "rules/rules_game.h"

namespace quorvel::opponents {

// The players a game host supplies itself. They see the game as the rules do and order
// through the same checks as any client. Honest and liar play as greedy does and
// negotiate in games with press: honest keeps its word, liar does not.
enum class OpponentKind { kHolder, kRandom, kGreedy, kHonest, kLiar };

// "hold", "random", "greedy", "honest" or "liar".
std::optional<OpponentKind> opponent_kind(std::string_view name);
// The name a seat of this kind introduces itself with: "Holder", "Random", "Greedy",
// "Honest", "Liar".
const char* opponent_player_name(OpponentKind kind);
bool negotiates(OpponentKind kind);

// The orders of the power for the current phase; a holder orders nothing. With the
// referee of a game with press, honest orders nothing its agreements forbid.
std::vector<TokenMessage> house_orders(OpponentKind kind, const rules::RulesGame& game, int power,
                                       std::mt19937& rng, const rules::Referee* referee = nullptr);

}  // namespace quorvel::opponents
