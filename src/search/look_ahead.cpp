#include "search/look_ahead.h"

#include <algorithm>
#include <random>
#include <vector>

#include "opponents/greedy_opponent.h"
#include "protocol/seasons.h"
#include "rules/movement.h"
#include "search/candidate_orders.h"
#include "search/outcome_value.h"

namespace quorvel::search {

namespace {

// What sets one outcome apart from another: the units, dislodged or not, and the owners.
std::vector<int> outcome_key(const rules::Position& position, std::uint32_t seed) {
  std::vector<int> key{static_cast<int>(seed)};
  const auto unit = [&](int at, const rules::Unit& u) {
    key.insert(key.end(),
               {at, u.power, u.type.subtoken(), u.location.province, u.location.coast.subtoken()});
  };
  for (const auto& [at, u] : position.units)
    unit(at, u);
  key.push_back(-1);
  for (const auto& [at, d] : position.dislodged)
    unit(at, d.unit);
  key.push_back(-1);
  for (Token owner : position.owners)
    key.push_back(owner.category() == CATEGORY_POWER ? owner.subtoken() : -1);
  return key;
}

}  // namespace

LookAhead::LookAhead(const rules::RulesGame& game, int power, int draws)
    : game_(game), power_(power), draws_(std::max(draws, 1)) {}

double LookAhead::centres_after(const std::map<int, rules::Order>& orders, std::uint32_t seed) {
  rules::RulesGame next = game_;
  next.keep_result_messages(false);
  next.set_movement_orders(orders);
  next.process();
  const std::vector<int> key = outcome_key(next.position(), seed);
  const auto known = known_.find(key);
  if (known != known_.end()) return known->second;
  const double value = play_on(next, seed);
  known_.emplace(key, value);
  return value;
}

double LookAhead::play_on(rules::RulesGame& next, std::uint32_t seed) const {
  std::mt19937 rng(seed);
  // Retreats and adjustments, each power's by the greedy rule; at most a retreat and a
  // winter lie between two movement phases.
  for (int phase = 0; phase < 2 && !is_movement_season(next.season()) && next.winner() < 0;
       ++phase) {
    for (int p = 0; p < next.map().power_count(); ++p) {
      if (!next.has_decisions(p)) continue;
      for (const TokenMessage& order : opponents::greedy_orders(next, p, rng))
        next.submit(p, order);
    }
    next.process();
  }
  const rules::RulesMap& map = next.map();
  const rules::Position& position = next.position();
  if (next.winner() >= 0 || !is_movement_season(next.season()))
    return position.centre_count(map, power_);

  std::vector<std::vector<std::vector<rules::Order>>> drawn;
  // Powers that can touch neither the bot's units nor its centres hold.
  std::vector<int> drawing = powers_in_reach(next, power_, true);
  drawing.push_back(power_);
  for (int p : drawing) {
    if (position.unit_count(p) > 0)
      drawn.push_back(opponents::greedy_movement_order_draws(next, p, rng, draws_));
  }
  double total = 0;
  for (int d = 0; d < draws_; ++d) {
    std::map<int, rules::Order> moves;
    for (const auto& sets : drawn) {
      if (d >= static_cast<int>(sets.size())) continue;
      for (const rules::Order& order : sets[static_cast<std::size_t>(d)])
        moves[order.unit.location.province] = order;
    }
    const rules::MovementResult result = rules::adjudicate_movement(map, position, moves);
    total += held_centres(map, position, unit_ends(position, moves, result), power_);
  }
  return total / draws_;
}

}  // namespace quorvel::search
