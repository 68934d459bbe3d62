// Movement adjudication by guessing and checking: every order's outcome is resolved from
// the outcomes it depends on; a dependency cycle is tried both ways, and when it allows
// both outcomes or none, the backup rule settles it.
#include "rules/movement.h"

#include <algorithm>
#include <vector>

#include "protocol/tokens.h"
#include "rules/rules_map.h"

namespace quorvel::rules {

namespace {

class MovementAdjudicator {
 public:
  MovementAdjudicator(const RulesMap& map, const Position& position,
                      const std::map<int, Order>& orders)
      : map_(map), position_(position) {
    const std::size_t provinces = static_cast<std::size_t>(map.province_count());
    order_.assign(provinces, nullptr);
    occupied_.assign(provinces, false);
    state_.assign(provinces, kUnresolved);
    resolution_.assign(provinces, false);
    void_.assign(provinces, false);
    moves_into_.assign(provinces, {});
    supports_.assign(provinces, {});
    convoys_.assign(provinces, {});
    for (const auto& [p, unit] : position.units) {
      occupied_[static_cast<std::size_t>(p)] = true;
      const auto given = orders.find(p);
      holds_.push_back(Order{OrderKind::kHold, unit.power, unit, {}, -1, -1, {}});
      order_[static_cast<std::size_t>(p)] = given == orders.end() ? nullptr : &given->second;
    }
    std::size_t next_hold = 0;
    for (const auto& [p, unit] : position.units) {
      if (order_[static_cast<std::size_t>(p)] == nullptr) {
        order_[static_cast<std::size_t>(p)] = &holds_[next_hold];
      }
      ++next_hold;
      units_.push_back(p);
    }
    for (int p : units_) {
      const Order& order = at(p);
      if (order.is_move())
        moves_into_[static_cast<std::size_t>(order.destination.province)].push_back(p);
    }
    for (int s : units_) {
      const Order& order = at(s);
      if (order.kind == OrderKind::kSupportHold || order.kind == OrderKind::kSupportMove) {
        const int q = order.supported;
        const bool has_unit = q >= 0 && occupied_[static_cast<std::size_t>(q)];
        bool valid = false;
        if (has_unit && order.kind == OrderKind::kSupportHold) valid = !at(q).is_move();
        if (has_unit && order.kind == OrderKind::kSupportMove) {
          valid = at(q).is_move() && at(q).destination.province == order.target;
        }
        void_[static_cast<std::size_t>(s)] = !valid;
        if (valid) supports_[static_cast<std::size_t>(q)].push_back(s);
      } else if (order.kind == OrderKind::kConvoy) {
        const int a = order.supported;
        const bool valid = a >= 0 && occupied_[static_cast<std::size_t>(a)] &&
                           at(a).kind == OrderKind::kConvoyedMove &&
                           at(a).destination.province == order.target;
        void_[static_cast<std::size_t>(s)] = !valid;
        if (valid) convoys_[static_cast<std::size_t>(a)].push_back(s);
      }
    }
  }

  MovementResult run() {
    MovementResult result;
    for (int p : units_)
      resolve(p);
    for (int p : units_) {
      const Order& order = at(p);
      Token outcome = tok::SUC;
      switch (order.kind) {
        case OrderKind::kMove:
        case OrderKind::kConvoyedMove:
          if (resolve(p)) {
            result.moved.insert(p);
          } else {
            outcome = order.kind == OrderKind::kConvoyedMove && !path(p) ? tok::DSR : tok::BNC;
          }
          break;
        case OrderKind::kSupportHold:
        case OrderKind::kSupportMove:
          outcome = void_[static_cast<std::size_t>(p)] ? tok::NSO
                    : resolve(p)                       ? tok::SUC
                                                       : tok::CUT;
          break;
        case OrderKind::kConvoy:
          outcome = void_[static_cast<std::size_t>(p)] ? tok::NSO : tok::SUC;
          break;
        default:
          break;
      }
      result.results[p] = outcome;
      if (dislodged(p)) {
        for (int m : moves_into_[static_cast<std::size_t>(p)]) {
          if (!resolve(m)) continue;
          result.dislodged_by[p] = m;
          if (at(m).kind == OrderKind::kConvoyedMove) result.dislodged_by_convoy.insert(p);
        }
      }
    }
    for (int q = 0; q < map_.province_count(); ++q) {
      const auto& attackers = moves_into_[static_cast<std::size_t>(q)];
      if (attackers.empty()) continue;
      const bool entered =
          std::any_of(attackers.begin(), attackers.end(), [this](int m) { return resolve(m); });
      const bool stays = occupied_[static_cast<std::size_t>(q)] && !result.moved.count(q);
      if (entered || stays) continue;
      for (int m : attackers) {
        if (prevent_strength(m) > 0) result.contested.insert(q);
      }
    }
    return result;
  }

 private:
  enum State { kUnresolved, kGuessing, kResolved };

  const Order& at(int p) const { return *order_[static_cast<std::size_t>(p)]; }
  bool has_unit(int p) const { return p >= 0 && occupied_[static_cast<std::size_t>(p)]; }
  int power_of(int p) const { return position_.units.at(p).power; }

  bool resolve(int p) {
    const std::size_t i = static_cast<std::size_t>(p);
    if (state_[i] == kResolved) return resolution_[i];
    if (state_[i] == kGuessing) {
      if (std::find(dependencies_.begin(), dependencies_.end(), p) == dependencies_.end()) {
        dependencies_.push_back(p);
      }
      return resolution_[i];
    }
    const std::size_t old_count = dependencies_.size();
    resolution_[i] = false;
    state_[i] = kGuessing;
    const bool first = adjudicate(p);
    if (dependencies_.size() == old_count) {
      // Nothing depended on a guess.
      if (state_[i] != kResolved) {
        resolution_[i] = first;
        state_[i] = kResolved;
      }
      return first;
    }
    if (dependencies_[old_count] != p) {
      // Part of a cycle that started elsewhere: that one decides.
      dependencies_.push_back(p);
      resolution_[i] = first;
      return first;
    }
    // The cycle starts here: try the other guess.
    for (std::size_t k = old_count; k < dependencies_.size(); ++k) {
      state_[static_cast<std::size_t>(dependencies_[k])] = kUnresolved;
    }
    dependencies_.resize(old_count);
    resolution_[i] = true;
    state_[i] = kGuessing;
    const bool second = adjudicate(p);
    if (first == second) {
      for (std::size_t k = old_count; k < dependencies_.size(); ++k) {
        state_[static_cast<std::size_t>(dependencies_[k])] = kUnresolved;
      }
      dependencies_.resize(old_count);
      resolution_[i] = first;
      state_[i] = kResolved;
      return first;
    }
    backup_rule(old_count);
    return resolve(p);
  }

  // Two outcomes or none: circular movement all moves, or a convoy paradox (Szykman).
  void backup_rule(std::size_t old_count) {
    bool convoys = false;
    for (std::size_t k = old_count; k < dependencies_.size(); ++k) {
      convoys |= at(dependencies_[k]).kind == OrderKind::kConvoy;
    }
    for (std::size_t k = old_count; k < dependencies_.size(); ++k) {
      const int p = dependencies_[k];
      const std::size_t i = static_cast<std::size_t>(p);
      const Order& order = at(p);
      if (convoys && order.kind == OrderKind::kConvoy) {
        resolution_[i] = false;
        state_[i] = kResolved;
      } else if (!convoys && order.is_move()) {
        resolution_[i] = true;
        state_[i] = kResolved;
      } else {
        state_[i] = kUnresolved;
      }
    }
    dependencies_.resize(old_count);
  }

  bool adjudicate(int p) {
    const Order& order = at(p);
    switch (order.kind) {
      case OrderKind::kMove:
      case OrderKind::kConvoyedMove:
        return move_succeeds(p);
      case OrderKind::kSupportHold:
      case OrderKind::kSupportMove:
        return support_holds(p);
      case OrderKind::kConvoy:
        return !dislodged(p);
      default:
        return true;
    }
  }

  // A convoyed army needs some chain of intact fleets convoying it from its province to
  // its destination.
  bool path(int p) {
    const Order& order = at(p);
    if (order.kind != OrderKind::kConvoyedMove) return true;
    const std::vector<int>& fleets = convoys_[static_cast<std::size_t>(p)];
    std::vector<int> reached;
    std::vector<bool> seen(fleets.size(), false);
    for (std::size_t f = 0; f < fleets.size(); ++f) {
      if (map_.reaches(position_.units.at(fleets[f]).location, p) && resolve(fleets[f])) {
        seen[f] = true;
        reached.push_back(static_cast<int>(f));
      }
    }
    for (std::size_t head = 0; head < reached.size(); ++head) {
      const Location& from =
          position_.units.at(fleets[static_cast<std::size_t>(reached[head])]).location;
      if (map_.reaches(from, order.destination.province)) return true;
      for (std::size_t f = 0; f < fleets.size(); ++f) {
        if (seen[f] || !map_.reaches(from, fleets[f]) || !resolve(fleets[f])) continue;
        seen[f] = true;
        reached.push_back(static_cast<int>(f));
      }
    }
    return false;
  }

  bool head_to_head(int p) const {
    const Order& order = at(p);
    if (order.kind != OrderKind::kMove) return false;
    const int q = order.destination.province;
    if (!has_unit(q)) return false;
    const Order& other = at(q);
    return other.kind == OrderKind::kMove && other.destination.province == p;
  }

  int successful_supports(int p, int excluded_power) {
    int count = 0;
    for (int s : supports_[static_cast<std::size_t>(p)]) {
      if (power_of(s) != excluded_power && resolve(s)) ++count;
    }
    return count;
  }

  int attack_strength(int p) {
    if (!path(p)) return 0;
    const int q = at(p).destination.province;
    if (!has_unit(q) || (at(q).is_move() && !head_to_head(p) && resolve(q))) {
      return 1 + successful_supports(p, -1);
    }
    // No power dislodges its own unit, nor helps another to.
    if (power_of(q) == power_of(p)) return 0;
    return 1 + successful_supports(p, power_of(q));
  }

  int defend_strength(int p) { return 1 + successful_supports(p, -1); }

  int prevent_strength(int p) {
    if (!path(p)) return 0;
    if (head_to_head(p) && resolve(at(p).destination.province)) return 0;
    return 1 + successful_supports(p, -1);
  }

  int hold_strength(int q) {
    if (!has_unit(q)) return 0;
    if (at(q).is_move()) return resolve(q) ? 0 : 1;
    return 1 + successful_supports(q, -1);
  }

  bool move_succeeds(int p) {
    const int q = at(p).destination.province;
    const int attack = attack_strength(p);
    if (head_to_head(p)) {
      if (attack <= defend_strength(q)) return false;
    } else if (attack <= hold_strength(q)) {
      return false;
    }
    for (int other : moves_into_[static_cast<std::size_t>(q)]) {
      if (other != p && attack <= prevent_strength(other)) return false;
    }
    return true;
  }

  bool support_holds(int s) {
    if (void_[static_cast<std::size_t>(s)]) return false;
    const Order& order = at(s);
    // An attack from where the support goes does not cut it; only a dislodgement does.
    const int directed = order.kind == OrderKind::kSupportMove ? order.target : order.supported;
    for (int m : moves_into_[static_cast<std::size_t>(s)]) {
      if (power_of(m) == power_of(s) || m == directed) continue;
      if (path(m)) return false;
    }
    return !dislodged(s);
  }

  bool dislodged(int q) {
    if (at(q).is_move() && resolve(q)) return false;
    for (int m : moves_into_[static_cast<std::size_t>(q)]) {
      if (resolve(m)) return true;
    }
    return false;
  }

  const RulesMap& map_;
  const Position& position_;
  std::vector<const Order*> order_;
  std::vector<Order> holds_;
  std::vector<int> units_;
  std::vector<bool> occupied_;
  std::vector<State> state_;
  std::vector<bool> resolution_;
  std::vector<bool> void_;
  std::vector<std::vector<int>> moves_into_;
  std::vector<std::vector<int>> supports_;
  std::vector<std::vector<int>> convoys_;
  std::vector<int> dependencies_;
};

}  // namespace

MovementResult adjudicate_movement(const RulesMap& map, const Position& position,
                                   const std::map<int, Order>& orders) {
  return MovementAdjudicator(map, position, orders).run();
}

}  // namespace quorvel::rules
