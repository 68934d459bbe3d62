#include "opponents/greedy_opponent.h"

#include <algorithm>

#include "base/binomial.h"
#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel::opponents {

namespace {

using namespace tok;
using rules::location_message;
using rules::unit_message;

// Tuned in the arena: against six holders or six random players, and as the field
// against Quorvel, where falling round weights (near values decide, far ones only break
// ties) and a neutral centre worth a mid-sized power played best.
constexpr double kNeutralCentre = 8.0;
constexpr int kRounds = 10;
// How much each round of the spread counts: the place itself most, then ever farther
// (each round 0.3 of the one before).
constexpr double kRoundWeights[kRounds] = {100,   30,     9,       2.7,      0.81,
                                           0.243, 0.0729, 0.02187, 0.006561, 0.0019683};
// How strongly a unit prefers the best place it can reach over the next best: a choice
// is drawn in proportion to its value to this power.
constexpr int kSharpness = 8;

std::vector<double> spread(const std::vector<double>& base, const rules::RulesMap& map, bool army) {
  std::vector<double> round = base;
  std::vector<double> next(base.size());
  std::vector<double> total(base.size());
  for (int r = 0; r < kRounds; ++r) {
    for (std::size_t p = 0; p < base.size(); ++p)
      total[p] += kRoundWeights[r] * round[p];
    for (std::size_t p = 0; p < base.size(); ++p) {
      double sum = round[p];
      for (int q : map.steps(static_cast<int>(p), army))
        sum += round[static_cast<std::size_t>(q)];
      next[p] = sum / 5.0;
    }
    round.swap(next);
  }
  return total;
}

int owner_index(Token owner) {
  return owner.category() == CATEGORY_POWER ? owner.subtoken() : -1;
}

struct Choice {
  Location place;
  double value;
};

// Where the restrictions keep a unit from going (or from supporting a move to).
bool barred(const rules::Restrictions* restrictions, int province, bool attack) {
  if (restrictions == nullptr) return false;
  const auto p = static_cast<std::size_t>(province);
  return restrictions->no_entry[p] || (attack && restrictions->no_attack[p]);
}

// Draws one choice, the better ones far more often; the first when none is worth anything.
std::size_t draw(const std::vector<Choice>& choices, std::vector<double>& weights,
                 std::mt19937& rng) {
  double best = 0;
  for (const Choice& c : choices)
    best = std::max(best, c.value);
  if (best <= 0) return 0;
  weights.clear();
  double sum = 0;
  for (const Choice& c : choices) {
    weights.push_back(power(std::max(c.value, 0.0) / best, kSharpness));
    sum += weights.back();
  }
  double pick = (rng() >> 8) * (1.0 / 16777216.0) * sum;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    if (pick < weights[i]) return i;
    pick -= weights[i];
  }
  return weights.size() - 1;
}

struct Intent {
  rules::Unit unit;
  Location target;  // its own place for a hold
  double value = 0;
  int supports = -1;  // the province of the moving unit it supports, if it does
  bool holds() const { return target.province == unit.location.province; }
};

std::vector<rules::Order> movement_orders(const rules::RulesGame& game, int power,
                                          const DestinationValues& values, std::mt19937& rng,
                                          const rules::Restrictions* restrictions) {
  const rules::RulesMap& map = game.map();
  const rules::Position& position = game.position();
  std::vector<int> mine;
  for (const auto& [p, unit] : position.units) {
    if (unit.power == power) mine.push_back(p);
  }
  std::shuffle(mine.begin(), mine.end(), rng);

  std::vector<bool> claimed(static_cast<std::size_t>(map.province_count()));
  std::vector<bool> decided(static_cast<std::size_t>(map.province_count()));
  std::vector<Intent> intents;
  std::vector<Choice> choices;
  std::vector<double> weights;
  for (int p : mine) {
    const rules::Unit& unit = position.units.at(p);
    const bool army = unit.type == AMY;
    choices.assign(1, {unit.location, values.of(army, p)});
    for (const Location& to : map.moves(unit.location)) {
      const auto q = static_cast<std::size_t>(to.province);
      // An own unit that has not yet chosen may still stay: moving in could bounce.
      const auto standing = position.units.find(to.province);
      const bool own_undecided =
          standing != position.units.end() && standing->second.power == power && !decided[q];
      if (claimed[q] || own_undecided || barred(restrictions, to.province, true)) continue;
      choices.push_back({to, values.of(army, to.province)});
    }
    const Choice& chosen = choices[draw(choices, weights, rng)];
    claimed[static_cast<std::size_t>(chosen.place.province)] = true;
    decided[static_cast<std::size_t>(p)] = true;
    intents.push_back({unit, chosen.place, chosen.value});
  }

  // Contested moves, the most valuable first, get a support from a unit that stays.
  std::vector<Intent*> moves;
  std::vector<Intent*> free;
  for (Intent& intent : intents)
    (intent.holds() ? free : moves).push_back(&intent);
  std::sort(moves.begin(), moves.end(),
            [](const Intent* a, const Intent* b) { return a->value > b->value; });
  std::sort(free.begin(), free.end(),
            [](const Intent* a, const Intent* b) { return a->value < b->value; });
  for (Intent* move : moves) {
    const int target = move->target.province;
    if (!values.contested[static_cast<std::size_t>(target)]) continue;
    for (Intent* helper : free) {
      if (helper->supports >= 0 || !map.reaches(helper->unit.location, target)) continue;
      helper->supports = move->unit.location.province;
      break;
    }
  }

  std::vector<rules::Order> orders;
  for (const Intent& intent : intents) {
    rules::Order order;
    order.power = power;
    order.unit = intent.unit;
    if (intent.supports >= 0) {
      order.kind = OrderKind::kSupportMove;
      order.supported = intent.supports;
      order.target = intent.supports;
      for (const Intent& other : intents) {
        if (other.unit.location.province == intent.supports) order.target = other.target.province;
      }
    } else if (!intent.holds()) {
      order.kind = OrderKind::kMove;
      order.destination = intent.target;
    }
    orders.push_back(std::move(order));
  }
  return orders;
}

std::vector<TokenMessage> messages(const rules::RulesGame& game,
                                   const std::vector<rules::Order>& orders) {
  std::vector<TokenMessage> texts;
  for (const rules::Order& order : orders)
    texts.push_back(rules::order_message(game.map(), game.position(), order));
  return texts;
}

std::vector<TokenMessage> retreat_orders(const rules::RulesGame& game, int power,
                                         const DestinationValues& values,
                                         const rules::Restrictions* restrictions) {
  const rules::RulesMap& map = game.map();
  std::vector<bool> claimed(static_cast<std::size_t>(map.province_count()));
  std::vector<TokenMessage> orders;
  for (const auto& [p, entry] : game.position().dislodged) {
    if (entry.unit.power != power) continue;
    const TokenMessage self = unit_message(map, entry.unit).enclose();
    const Location* best = nullptr;
    for (const Location& to : entry.retreats) {
      if (claimed[static_cast<std::size_t>(to.province)] ||
          barred(restrictions, to.province, false))
        continue;
      const bool army = entry.unit.type == AMY;
      if (best == nullptr || values.of(army, to.province) > values.of(army, best->province))
        best = &to;
    }
    if (best == nullptr) {
      orders.push_back(self + DSB);
    } else {
      claimed[static_cast<std::size_t>(best->province)] = true;
      orders.push_back(self + RTO + location_message(map, *best));
    }
  }
  return orders;
}

std::vector<TokenMessage> adjustment_orders(const rules::RulesGame& game, int power,
                                            const DestinationValues& values,
                                            const rules::Restrictions* restrictions) {
  const rules::RulesMap& map = game.map();
  const rules::Position& position = game.position();
  const int surplus = position.centre_count(map, power) - position.unit_count(power);
  const Token who = GameBoard::power_token(power);
  std::vector<TokenMessage> orders;
  if (surplus > 0) {
    // The best unit each free home centre could take, best first.
    std::vector<Choice> builds;
    for (int h : map.home_centres(power)) {
      if (position.owners[static_cast<std::size_t>(h)] != who || position.units.count(h) ||
          barred(restrictions, h, false))
        continue;
      std::vector<Choice> kinds;
      if (map.land(h))
        kinds.push_back({Location{h, AMY}, values.army[static_cast<std::size_t>(h)]});
      for (Token key : map.fleet_keys(h)) {
        // A coast is worth what the fleet could reach from it next.
        double reach = 0;
        for (const Location& to : map.moves(Location{h, key}))
          reach = std::max(reach, values.fleet[static_cast<std::size_t>(to.province)]);
        kinds.push_back(
            {Location{h, key}, values.fleet[static_cast<std::size_t>(h)] + reach * 1e-3});
      }
      if (kinds.empty()) continue;
      builds.push_back(
          *std::max_element(kinds.begin(), kinds.end(),
                            [](const Choice& a, const Choice& b) { return a.value < b.value; }));
    }
    std::stable_sort(builds.begin(), builds.end(),
                     [](const Choice& a, const Choice& b) { return a.value > b.value; });
    for (int i = 0; i < surplus; ++i) {
      if (i >= static_cast<int>(builds.size())) {
        orders.push_back(who + WVE);
        continue;
      }
      const Location& where = builds[static_cast<std::size_t>(i)].place;
      const rules::Unit unit{power, where.coast == AMY ? AMY : FLT, where};
      orders.push_back(unit_message(map, unit).enclose() + BLD);
    }
  } else if (surplus < 0) {
    std::vector<const rules::Unit*> mine;
    for (const auto& [p, unit] : position.units) {
      if (unit.power == power) mine.push_back(&unit);
    }
    std::stable_sort(mine.begin(), mine.end(), [&](const rules::Unit* a, const rules::Unit* b) {
      return values.of(a->type == AMY, a->location.province) <
             values.of(b->type == AMY, b->location.province);
    });
    for (int i = 0; i < -surplus && i < static_cast<int>(mine.size()); ++i)
      orders.push_back(unit_message(map, *mine[static_cast<std::size_t>(i)]).enclose() + REM);
  }
  return orders;
}

}  // namespace

DestinationValues destination_values(const rules::RulesGame& game, int power) {
  const rules::RulesMap& map = game.map();
  const rules::Position& position = game.position();
  const auto provinces = static_cast<std::size_t>(map.province_count());
  std::vector<int> centres(static_cast<std::size_t>(map.power_count()));
  for (int q = 0; q < map.power_count(); ++q)
    centres[static_cast<std::size_t>(q)] = position.centre_count(map, q);

  // What defending each province is worth: the strength of the largest foreign power
  // with a unit in it or next to it.
  std::vector<double> threat(provinces);
  DestinationValues values;
  values.contested.assign(provinces, false);
  for (const auto& [p, unit] : position.units) {
    if (unit.power == power) continue;
    const double strength = centres[static_cast<std::size_t>(unit.power)];
    auto& here = threat[static_cast<std::size_t>(p)];
    here = std::max(here, strength);
    values.contested[static_cast<std::size_t>(p)] = true;
    for (const Location& to : map.moves(unit.location)) {
      auto& there = threat[static_cast<std::size_t>(to.province)];
      there = std::max(there, strength);
      values.contested[static_cast<std::size_t>(to.province)] = true;
    }
  }

  values.base.assign(provinces, 0.0);
  for (int p = 0; p < map.province_count(); ++p) {
    if (!map.supply_centre(p)) continue;
    const int owner = owner_index(position.owners[static_cast<std::size_t>(p)]);
    double& base = values.base[static_cast<std::size_t>(p)];
    if (owner < 0) {
      base = kNeutralCentre;
    } else if (owner == power) {
      base = threat[static_cast<std::size_t>(p)];
    } else {
      base = centres[static_cast<std::size_t>(owner)];
    }
  }
  values.army = spread(values.base, map, true);
  values.fleet = spread(values.base, map, false);
  return values;
}

std::vector<TokenMessage> greedy_orders(const rules::RulesGame& game, int power, std::mt19937& rng,
                                        const rules::Restrictions* restrictions) {
  const Token season = game.season();
  const DestinationValues values = destination_values(game, power);
  if (is_movement_season(season))
    return messages(game, movement_orders(game, power, values, rng, restrictions));
  if (is_retreat_season(season)) return retreat_orders(game, power, values, restrictions);
  if (season == WIN) return adjustment_orders(game, power, values, restrictions);
  return {};
}

std::vector<std::vector<TokenMessage>> greedy_movement_draws(
    const rules::RulesGame& game, int power, std::mt19937& rng, int count,
    const rules::Restrictions* restrictions) {
  std::vector<std::vector<TokenMessage>> draws;
  for (const std::vector<rules::Order>& orders :
       greedy_movement_order_draws(game, power, rng, count, restrictions))
    draws.push_back(messages(game, orders));
  return draws;
}

std::vector<std::vector<rules::Order>> greedy_movement_order_draws(
    const rules::RulesGame& game, int power, std::mt19937& rng, int count,
    const rules::Restrictions* restrictions) {
  std::vector<std::vector<rules::Order>> draws;
  if (!is_movement_season(game.season())) return draws;
  const DestinationValues values = destination_values(game, power);
  for (int i = 0; i < count; ++i)
    draws.push_back(movement_orders(game, power, values, rng, restrictions));
  return draws;
}

}  // namespace quorvel::opponents
