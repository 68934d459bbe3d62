#include "opponents/house_opponent.h"

#include "opponents/greedy_opponent.h"
#include "opponents/random_opponent.h"

namespace quorvel::opponents {

std::optional<OpponentKind> opponent_kind(std::string_view name) {
  if (name == "hold") return OpponentKind::kHolder;
  if (name == "random") return OpponentKind::kRandom;
  if (name == "greedy") return OpponentKind::kGreedy;
  return std::nullopt;
}

const char* opponent_player_name(OpponentKind kind) {
  switch (kind) {
    case OpponentKind::kHolder:
      return "Holder";
    case OpponentKind::kRandom:
      return "Random";
    case OpponentKind::kGreedy:
      return "Greedy";
  }
  return "House";
}

std::vector<TokenMessage> house_orders(OpponentKind kind, const rules::RulesGame& game, int power,
                                       std::mt19937& rng) {
  switch (kind) {
    case OpponentKind::kRandom:
      return random_orders(game, power, rng);
    case OpponentKind::kGreedy:
      return greedy_orders(game, power, rng);
    case OpponentKind::kHolder:
      break;
  }
  return {};
}

}  // namespace quorvel::opponents
