#pragma once

#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "game/agreements.h"
#include "protocol/token_message.h"
#include "rules/order.h"
#include "rules/rules_game.h"

namespace quorvel::search {

// A power's orders of a movement phase, by the province of the ordered unit.
using OrderSet = std::map<int, rules::Order>;

// One order set a power may give, and how likely it is among the power's candidates.
struct Candidate {
  OrderSet orders;
  double weight = 1.0;
  std::string source;  // where it came from, for the trace
};

// The orders (each one order's tokens, or a SUB message of them) read as the server would
// check them for the power; nothing when one is refused.
std::optional<OrderSet> checked_orders(const rules::RulesGame& game, int power,
                                       const std::vector<TokenMessage>& orders);
std::optional<OrderSet> checked_submission(const rules::RulesGame& game, int power,
                                           const TokenMessage& sub);

// Up to count distinct order sets of the greedy player's rule for the power, each weighed
// by how often it was drawn in tries draws; the most frequent first. Restrictions (what
// the power agreed to) keep its units out of where they forbid.
std::vector<Candidate> greedy_candidates(const rules::RulesGame& game, int power, int count,
                                         int tries, std::mt19937& rng,
                                         const Obligations* restrictions = nullptr);

// Whether no order of the set is one the power's agreements forbid (as the referee judges
// a move, retreat, support or convoy).
bool keeps_out(const rules::RulesGame& game, const OrderSet& orders, const Obligations& agreed);

// Supported attacks: for each province worth taking (a supply centre the power does not
// own, or one with a foreign unit in it) that at least two of the power's units reach, the
// orders with one of them moving in and the others that reach it supporting the move;
// units in a convoy keep their orders. Up to count sets, those with the most support first.
std::vector<Candidate> attack_candidates(const rules::RulesGame& game, const OrderSet& orders,
                                         int power, int count);

// The other powers with a unit that could end where one of the power's units stands or
// could move to this phase (or, with centres, in one of the power's centres), in power
// order.
std::vector<int> powers_in_reach(const rules::RulesGame& game, int power, bool centres = false);

}  // namespace quorvel::search
