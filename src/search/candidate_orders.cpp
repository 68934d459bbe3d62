#include "search/candidate_orders.h"

#include <algorithm>
#include <set>

#include "opponents/greedy_opponent.h"
#include "protocol/tokens.h"
#include "rules/referee.h"
#include "search/outcome_value.h"

namespace quorvel::search {

std::optional<OrderSet> checked_orders(const rules::RulesGame& game, int power,
                                       const std::vector<TokenMessage>& orders) {
  OrderSet set;
  for (const TokenMessage& text : orders) {
    rules::CheckedOrder checked = rules::check_order(game.map(), game.position(), power, text);
    if (checked.note != tok::MBV) return std::nullopt;
    const int at = checked.order.unit.location.province;
    set[at] = std::move(checked.order);
  }
  return set;
}

std::optional<OrderSet> checked_submission(const rules::RulesGame& game, int power,
                                           const TokenMessage& sub) {
  std::vector<TokenMessage> orders;
  for (int i = 1; i < sub.sub_message_count(); ++i)
    orders.push_back(sub.sub_message(i));
  return checked_orders(game, power, orders);
}

std::vector<Candidate> greedy_candidates(const rules::RulesGame& game, int power, int count,
                                         int tries, std::mt19937& rng,
                                         const Obligations* restrictions) {
  struct Drawn {
    std::vector<TokenMessage> orders;
    int times = 0;
  };
  std::vector<Drawn> drawn;
  for (std::vector<TokenMessage>& orders :
       opponents::greedy_movement_draws(game, power, rng, tries, restrictions)) {
    // Units are drawn in a random order: the same orders may come in any order.
    std::sort(orders.begin(), orders.end(), [](const TokenMessage& a, const TokenMessage& b) {
      return std::lexicographical_compare(a.data(), a.data() + a.length(), b.data(),
                                          b.data() + b.length());
    });
    const auto same = std::find_if(drawn.begin(), drawn.end(),
                                   [&](const Drawn& d) { return d.orders == orders; });
    if (same != drawn.end()) {
      ++same->times;
    } else {
      drawn.push_back({std::move(orders), 1});
    }
  }
  std::stable_sort(drawn.begin(), drawn.end(),
                   [](const Drawn& a, const Drawn& b) { return a.times > b.times; });
  std::vector<Candidate> candidates;
  double total = 0;
  for (const Drawn& d : drawn) {
    if (static_cast<int>(candidates.size()) == count) break;
    std::optional<OrderSet> orders = checked_orders(game, power, d.orders);
    if (!orders) continue;
    candidates.push_back({std::move(*orders), static_cast<double>(d.times), "greedy"});
    total += d.times;
  }
  for (Candidate& c : candidates)
    c.weight /= total;
  return candidates;
}

bool keeps_out(const rules::RulesGame& game, const OrderSet& orders, const Obligations& agreed) {
  const Holdings holdings = rules::holdings_of(game);
  return std::none_of(orders.begin(), orders.end(), [&](const auto& entry) {
    return forbidden(rules::facts_of(entry.second), agreed, holdings);
  });
}

std::vector<Candidate> attack_candidates(const rules::RulesGame& game, const OrderSet& orders,
                                         int power, int count) {
  const rules::RulesMap& map = game.map();
  const rules::Position& position = game.position();
  const auto free = [&](int p) {
    const auto order = orders.find(p);
    return order != orders.end() && order->second.kind != OrderKind::kConvoy &&
           order->second.kind != OrderKind::kConvoyedMove;
  };
  struct Attack {
    Candidate candidate;
    int supports;
  };
  std::vector<Attack> attacks;
  for (int t = 0; t < map.province_count(); ++t) {
    if (!map.valid(t)) continue;
    const auto standing = position.units.find(t);
    const bool foreign = standing != position.units.end() && standing->second.power != power;
    const Token owner = position.owners[static_cast<std::size_t>(t)];
    const bool centre =
        map.supply_centre(t) && !(owner.category() == CATEGORY_POWER && owner.subtoken() == power);
    if (!foreign && !centre) continue;
    if (standing != position.units.end() && standing->second.power == power) continue;
    std::vector<const rules::Unit*> reaching;
    for (const auto& [p, unit] : position.units) {
      if (unit.power == power && free(p) && map.reaches(unit.location, t))
        reaching.push_back(&unit);
    }
    if (reaching.size() < 2) continue;
    for (const rules::Unit* mover : reaching) {
      OrderSet attack = orders;
      rules::Order& move = attack.at(mover->location.province);
      move.kind = OrderKind::kMove;
      move.destination = Location{};
      for (const Location& to : map.moves(mover->location)) {
        if (to.province == t) move.destination = to;
      }
      move.supported = move.target = -1;
      for (const rules::Unit* helper : reaching) {
        if (helper == mover) continue;
        rules::Order& support = attack.at(helper->location.province);
        support.kind = OrderKind::kSupportMove;
        support.supported = mover->location.province;
        support.target = t;
      }
      attacks.push_back(
          {{std::move(attack), 1.0, "attack"}, static_cast<int>(reaching.size()) - 1});
    }
  }
  std::stable_sort(attacks.begin(), attacks.end(),
                   [](const Attack& a, const Attack& b) { return a.supports > b.supports; });
  std::vector<Candidate> candidates;
  for (Attack& a : attacks) {
    if (static_cast<int>(candidates.size()) == count) break;
    candidates.push_back(std::move(a.candidate));
  }
  return candidates;
}

std::vector<int> powers_in_reach(const rules::RulesGame& game, int power, bool centres) {
  const rules::RulesMap& map = game.map();
  std::set<int> zone;
  if (centres) {
    for (int p = 0; p < map.province_count(); ++p) {
      if (map.supply_centre(p) && owns(game.position(), power, p)) zone.insert(p);
    }
  }
  for (const auto& [p, unit] : game.position().units) {
    if (unit.power != power) continue;
    zone.insert(p);
    for (const Location& to : map.moves(unit.location))
      zone.insert(to.province);
  }
  std::set<int> powers;
  for (const auto& [p, unit] : game.position().units) {
    if (unit.power == power || powers.count(unit.power)) continue;
    if (zone.count(p)) {
      powers.insert(unit.power);
      continue;
    }
    for (const Location& to : map.moves(unit.location)) {
      if (zone.count(to.province)) {
        powers.insert(unit.power);
        break;
      }
    }
  }
  return {powers.begin(), powers.end()};
}

}  // namespace quorvel::search
