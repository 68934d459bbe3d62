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

// Units without an order hold; the adjudicator reads no more of a hold than its kind.
const Order kHold{};

class MovementAdjudicator {
 public:
  MovementAdjudicator(const RulesMap& map, const Position& position,
                      const std::map<int, Order>& orders)
      : map_(map), position_(position) {
    slots_.resize(static_cast<std::size_t>(map.province_count()));
    units_.reserve(position.units.size());
    for (const auto& [p, unit] : position.units) {
      Slot& slot = at_slot(p);
      slot.occupied = true;
      slot.power = unit.power;
      const auto given = orders.find(p);
      slot.order = given == orders.end() ? &kHold : &given->second;
      units_.push_back(p);
    }
    // Each unit joins at most one list (a move, a support or a convoy), hence one link
    // each; taken from the last unit to the first, every list runs in province order.
    const auto prepend = [this](int& head, int p) {
      at_slot(p).next = head;
      head = p;
    };
    for (auto u = units_.rbegin(); u != units_.rend(); ++u) {
      const int s = *u;
      const Order& order = at(s);
      if (order.is_move()) {
        prepend(at_slot(order.destination.province).moves_into, s);
      } else if (order.kind == OrderKind::kSupportHold || order.kind == OrderKind::kSupportMove) {
        const int q = order.supported;
        bool valid = false;
        if (has_unit(q) && order.kind == OrderKind::kSupportHold) valid = !at(q).is_move();
        if (has_unit(q) && order.kind == OrderKind::kSupportMove) {
          valid = at(q).is_move() && at(q).destination.province == order.target;
        }
        at_slot(s).void_order = !valid;
        if (valid) prepend(at_slot(q).supports, s);
      } else if (order.kind == OrderKind::kConvoy) {
        const int a = order.supported;
        const bool valid = has_unit(a) && at(a).kind == OrderKind::kConvoyedMove &&
                           at(a).destination.province == order.target;
        at_slot(s).void_order = !valid;
        if (valid) prepend(at_slot(a).convoys, s);
      }
    }
  }

  MovementResult run() {
    MovementResult result;
    result.provinces.resize(slots_.size());
    for (int p : units_)
      resolve(p);
    for (int p : units_) {
      const Order& order = at(p);
      ProvinceOutcome& outcome = result.provinces[static_cast<std::size_t>(p)];
      outcome.result = tok::SUC;
      switch (order.kind) {
        case OrderKind::kMove:
        case OrderKind::kConvoyedMove:
          if (resolve(p)) {
            outcome.moved = true;
          } else {
            outcome.result =
                order.kind == OrderKind::kConvoyedMove && !path(p) ? tok::DSR : tok::BNC;
          }
          break;
        case OrderKind::kSupportHold:
        case OrderKind::kSupportMove:
          outcome.result = at_slot(p).void_order ? tok::NSO : resolve(p) ? tok::SUC : tok::CUT;
          break;
        case OrderKind::kConvoy:
          outcome.result = at_slot(p).void_order ? tok::NSO : tok::SUC;
          break;
        default:
          break;
      }
      if (dislodged(p)) {
        for (int m = at_slot(p).moves_into; m >= 0; m = at_slot(m).next) {
          if (!resolve(m)) continue;
          outcome.dislodged_by = m;
          if (at(m).kind == OrderKind::kConvoyedMove) outcome.by_convoy = true;
        }
      }
    }
    for (int q = 0; q < map_.province_count(); ++q) {
      const int attackers = at_slot(q).moves_into;
      if (attackers < 0) continue;
      bool entered = false;
      for (int m = attackers; m >= 0 && !entered; m = at_slot(m).next)
        entered = resolve(m);
      const bool stays = has_unit(q) && !result.at(q).moved;
      if (entered || stays) continue;
      for (int m = attackers; m >= 0; m = at_slot(m).next) {
        if (prevent_strength(m) > 0) result.provinces[static_cast<std::size_t>(q)].contested = true;
      }
    }
    return result;
  }

 private:
  enum State { kUnresolved, kGuessing, kResolved };

  // All the adjudicator knows of a province and the unit in it.
  struct Slot {
    const Order* order = nullptr;
    int power = -1;
    bool occupied = false;
    bool void_order = false;  // a support or convoy of nothing that matches it
    State state = kUnresolved;
    bool resolution = false;
    int moves_into = -1;  // first unit moving in, the rest linked by `next`
    int supports = -1;    // first unit supporting this one
    int convoys = -1;     // first fleet convoying this army
    int next = -1;        // the next unit on the one list this one is on
  };

  Slot& at_slot(int p) { return slots_[static_cast<std::size_t>(p)]; }
  const Slot& at_slot(int p) const { return slots_[static_cast<std::size_t>(p)]; }
  const Order& at(int p) const { return *at_slot(p).order; }
  bool has_unit(int p) const { return p >= 0 && at_slot(p).occupied; }
  int power_of(int p) const { return at_slot(p).power; }

  bool resolve(int p) {
    Slot& slot = at_slot(p);
    if (slot.state == kResolved) return slot.resolution;
    if (slot.state == kGuessing) {
      if (std::find(dependencies_.begin(), dependencies_.end(), p) == dependencies_.end()) {
        dependencies_.push_back(p);
      }
      return slot.resolution;
    }
    const std::size_t old_count = dependencies_.size();
    slot.resolution = false;
    slot.state = kGuessing;
    const bool first = adjudicate(p);
    if (dependencies_.size() == old_count) {
      // Nothing depended on a guess.
      if (slot.state != kResolved) {
        slot.resolution = first;
        slot.state = kResolved;
      }
      return first;
    }
    if (dependencies_[old_count] != p) {
      // Part of a cycle that started elsewhere: that one decides.
      dependencies_.push_back(p);
      slot.resolution = first;
      return first;
    }
    // The cycle starts here: try the other guess.
    for (std::size_t k = old_count; k < dependencies_.size(); ++k)
      at_slot(dependencies_[k]).state = kUnresolved;
    dependencies_.resize(old_count);
    slot.resolution = true;
    slot.state = kGuessing;
    const bool second = adjudicate(p);
    if (first == second) {
      for (std::size_t k = old_count; k < dependencies_.size(); ++k)
        at_slot(dependencies_[k]).state = kUnresolved;
      dependencies_.resize(old_count);
      slot.resolution = first;
      slot.state = kResolved;
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
      Slot& slot = at_slot(dependencies_[k]);
      const Order& order = *slot.order;
      if (convoys && order.kind == OrderKind::kConvoy) {
        slot.resolution = false;
        slot.state = kResolved;
      } else if (!convoys && order.is_move()) {
        slot.resolution = true;
        slot.state = kResolved;
      } else {
        slot.state = kUnresolved;
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
    std::vector<int> fleets;
    for (int f = at_slot(p).convoys; f >= 0; f = at_slot(f).next)
      fleets.push_back(f);
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
    for (int s = at_slot(p).supports; s >= 0; s = at_slot(s).next) {
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
    for (int other = at_slot(q).moves_into; other >= 0; other = at_slot(other).next) {
      if (other != p && attack <= prevent_strength(other)) return false;
    }
    return true;
  }

  bool support_holds(int s) {
    if (at_slot(s).void_order) return false;
    const Order& order = at(s);
    // An attack from where the support goes does not cut it; only a dislodgement does.
    const int directed = order.kind == OrderKind::kSupportMove ? order.target : order.supported;
    for (int m = at_slot(s).moves_into; m >= 0; m = at_slot(m).next) {
      if (power_of(m) == power_of(s) || m == directed) continue;
      if (path(m)) return false;
    }
    return !dislodged(s);
  }

  bool dislodged(int q) {
    if (at(q).is_move() && resolve(q)) return false;
    for (int m = at_slot(q).moves_into; m >= 0; m = at_slot(m).next) {
      if (resolve(m)) return true;
    }
    return false;
  }

  const RulesMap& map_;
  const Position& position_;
  std::vector<Slot> slots_;
  std::vector<int> units_;
  std::vector<int> dependencies_;
};

}  // namespace

MovementResult adjudicate_movement(const RulesMap& map, const Position& position,
                                   const std::map<int, Order>& orders) {
  return MovementAdjudicator(map, position, orders).run();
}

}  // namespace quorvel::rules
