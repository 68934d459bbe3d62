#include "opponents/house_opponent.h"

#include "opponents/greedy_opponent.h"
#include "opponents/random_opponent.h"

namespace quorvel::opponents {

std::optional<OpponentKind> opponent_kind(std::string_view name) {
  if (name == "hold") return OpponentKind::kHolder;
  if (name == "random") return OpponentKind::kRandom;
  if (name == "greedy") return OpponentKind::kGreedy;
  if (name == "honest") return OpponentKind::kHonest;
  if (name == "liar") return OpponentKind::kLiar;
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
    case OpponentKind::kHonest:
      return "Honest";
    case OpponentKind::kLiar:
      return "Liar";
  }
  return "House";
}

bool negotiates(OpponentKind kind) {
  return kind == OpponentKind::kHonest || kind == OpponentKind::kLiar;
}

std::vector<TokenMessage> house_orders(OpponentKind kind, const rules::RulesGame& game, int power,
                                       std::mt19937& rng, const rules::Referee* referee) {
  switch (kind) {
    case OpponentKind::kRandom:
      return random_orders(game, power, rng);
    case OpponentKind::kGreedy:
    case OpponentKind::kLiar:
      return greedy_orders(game, power, rng);
    case OpponentKind::kHonest: {
      if (referee == nullptr) return greedy_orders(game, power, rng);
      const rules::Restrictions restrictions = referee->restrictions(power, game);
      return greedy_orders(game, power, rng, &restrictions);
    }
    case OpponentKind::kHolder:
      break;
  }
  return {};
}

}  // namespace quorvel::opponents
