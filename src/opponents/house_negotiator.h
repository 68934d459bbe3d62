#pragma once

#include <cstddef>
#include <set>
#include <vector>

#include "opponents/house_opponent.h"
#include "protocol/token_message.h"
#include "rules/referee.h"
#include "rules/rules_game.h"

namespace quorvel::opponents {

// Press a house player sends: to whom (powers), and the press itself.
struct PressOut {
  std::vector<int> to;
  TokenMessage press;
};

// The press side of a negotiating house player, one per seat. It sees the game as the
// rules do and its own agreements as the referee keeps them.
//
// Honest wants peace with every neighbour (a power two moves from its units or centres)
// but two: the one it is fighting (the leader when the leader is a neighbour, else the
// neighbour whose centres most of its units could take within two moves, preferring one
// it is not at peace with) and the leader (most centres, alone); never
// again with a power that broke an agreement with it. It proposes that peace at each
// movement phase, accepts peace and alliances on the same rule, rejects everything else,
// and ends a peace it no longer wants by saying so (FCT (NOT (...))), never by breaking
// it. Liar proposes peace to everybody, accepts every peace and alliance, rejects the rest.
class HouseNegotiator {
 public:
  HouseNegotiator(OpponentKind kind, int power);

  // At the start of a movement phase: proposals, and the ends of peaces no longer wanted.
  std::vector<PressOut> open_phase(const rules::RulesGame& game, const rules::Referee& referee);
  // The answers to press from the sender, at the game's level: YES or REJ to proposals,
  // HUH and TRY to what it cannot read, nothing to replies and statements.
  std::vector<PressOut> answer(int sender, const TokenMessage& press, int level,
                               const rules::RulesGame& game, const rules::Referee& referee);

 private:
  // Whether it would be at peace with the power, given whom it sees as leader and enemy.
  bool welcomes(int other, const rules::RulesGame& game, int leader, int enemy) const;
  void learn_breaches(const rules::Referee& referee);

  bool honest_;
  int power_;
  std::set<int> distrusted_;
  std::size_t breaches_seen_ = 0;
};

}  // namespace quorvel::opponents
