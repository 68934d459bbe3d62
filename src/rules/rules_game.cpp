#include "rules/rules_game.h"

#include <algorithm>
#include <deque>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"
#include "rules/movement.h"

namespace quorvel::rules {

using namespace tok;

int RulesGame::load_map(const TokenMessage& mdf) {
  auto map = std::make_shared<RulesMap>();
  const int fault = map->load(mdf);
  map_ = std::move(map);
  position_ = Position{};
  position_.owners.assign(static_cast<std::size_t>(std::max(map_->province_count(), 0)), UNO);
  for (int p = 0; p < map_->province_count(); ++p) {
    position_.owners[static_cast<std::size_t>(p)] = map_->province(p).owner;
  }
  return fault;
}

int RulesGame::load_position(const TokenMessage& now, const TokenMessage& sco) {
  const int fault = position_.read_sco(*map_, sco);
  if (fault != -1) return fault;
  orders_.clear();
  builds_.clear();
  removals_.clear();
  waives_.clear();
  winner_ = -1;
  return position_.read_now(*map_, now);
}

int RulesGame::surplus(int power) const {
  return position_.centre_count(*map_, power) - position_.unit_count(power);
}

// A free home centre the power owns.
bool RulesGame::can_build(int power) const {
  const Token owner = GameBoard::power_token(power);
  for (int p : map_->home_centres(power)) {
    if (position_.owners[static_cast<std::size_t>(p)] == owner && !position_.units.count(p) &&
        !builds_.count(p)) {
      return true;
    }
  }
  return false;
}

Token RulesGame::submit(int power, const TokenMessage& text) {
  CheckedOrder checked = check_order(*map_, position_, power, text);
  if (checked.note != MBV) return checked.note;
  Order& order = checked.order;
  if (position_.season != WIN) {
    orders_[order.unit.location.province] = std::move(order);
    return MBV;
  }
  const int owed = surplus(power);
  auto count = [power](const std::map<int, Order>& orders) {
    return static_cast<int>(std::count_if(orders.begin(), orders.end(), [power](const auto& entry) {
      return entry.second.power == power;
    }));
  };
  if (order.kind == OrderKind::kRemove) {
    const int p = order.unit.location.province;
    if (owed >= 0) return NMR;
    if (!removals_.count(p) && count(removals_) >= -owed) return NMR;
    removals_[p] = std::move(order);
    return MBV;
  }
  const int used = count(builds_) + waives_[power];
  if (owed <= 0 || used >= owed) return NMB;
  if (order.kind == OrderKind::kWaive) {
    ++waives_[power];
    return MBV;
  }
  const int p = order.unit.location.province;
  if (builds_.count(p)) return ESC;
  builds_[p] = std::move(order);
  return MBV;
}

bool RulesGame::has_decisions(int power) const {
  const Token season = position_.season;
  if (is_movement_season(season)) return position_.unit_count(power) > 0;
  if (is_retreat_season(season)) {
    for (const auto& [p, entry] : position_.dislodged) {
      if (entry.unit.power == power) return true;
    }
    return false;
  }
  if (season == WIN) {
    const int owed = surplus(power);
    return owed < 0 || (owed > 0 && can_build(power));
  }
  return false;
}

bool RulesGame::orders_missing(int power) const {
  const Token season = position_.season;
  if (is_movement_season(season)) {
    for (const auto& [p, unit] : position_.units) {
      if (unit.power == power && !orders_.count(p)) return true;
    }
    return false;
  }
  if (is_retreat_season(season)) {
    for (const auto& [p, entry] : position_.dislodged) {
      if (entry.unit.power == power && !orders_.count(p)) return true;
    }
    return false;
  }
  return season == WIN && has_decisions(power) && adjustments_left(power) != 0;
}

// As MIS counts them: removals still owed (positive) or builds still open (negative).
int RulesGame::adjustments_left(int power) const {
  const int owed = surplus(power);
  if (owed < 0) {
    int removed = 0;
    for (const auto& [p, order] : removals_)
      removed += order.power == power;
    return -owed - removed;
  }
  int built = waives_.count(power) ? waives_.at(power) : 0;
  for (const auto& [p, order] : builds_)
    built += order.power == power;
  return -(owed - built);
}

TokenMessage RulesGame::missing_message(int power) const {
  TokenMessage mis(MIS);
  const Token season = position_.season;
  if (is_movement_season(season)) {
    for (const auto& [p, unit] : position_.units) {
      if (unit.power == power && !orders_.count(p)) mis = mis & unit_message(*map_, unit);
    }
  } else if (is_retreat_season(season)) {
    for (const auto& [p, entry] : position_.dislodged) {
      if (entry.unit.power != power || orders_.count(p)) continue;
      TokenMessage options;
      for (const Location& to : entry.retreats)
        options = options + location_message(*map_, to);
      mis = mis & ((unit_message(*map_, entry.unit) + MRT) & options);
    }
  } else if (season == WIN && has_decisions(power)) {
    if (const int left = adjustments_left(power); left != 0) mis = mis & Token::from_number(left);
  }
  return mis;
}

void RulesGame::record(PhaseOutcome& outcome, const Order& order, Token result,
                       bool dislodged) const {
  if (keep_result_messages_) {
    TokenMessage words(result);
    if (dislodged) words = words + RET;
    outcome.results.push_back(((ORD & turn_message(position_.season, position_.year)) &
                               order_message(*map_, position_, order)) &
                              words);
  }
  outcome.orders.push_back(OrderResult{order, result, dislodged});
}

RulesGame::PhaseOutcome RulesGame::process() {
  PhaseOutcome outcome;
  if (winner_ >= 0) return outcome;
  const Token season = position_.season;
  if (is_movement_season(season)) {
    process_movement(outcome);
  } else if (is_retreat_season(season)) {
    process_retreats(outcome);
  } else if (season == WIN) {
    process_adjustments(outcome);
  }
  orders_.clear();
  builds_.clear();
  removals_.clear();
  waives_.clear();
  outcome.winner = winner_;
  return outcome;
}

void RulesGame::process_movement(PhaseOutcome& outcome) {
  // Units without an order hold; the orders kept are those of units still there.
  std::map<int, Order> orders;
  for (const auto& [p, unit] : position_.units) {
    const auto given = orders_.find(p);
    orders[p] = given != orders_.end() ? given->second
                                       : Order{OrderKind::kHold, unit.power, unit, {}, -1, -1, {}};
  }
  const MovementResult result = adjudicate_movement(*map_, position_, orders);
  for (const auto& [p, order] : orders) {
    record(outcome, order, result.at(p).result, result.at(p).dislodged());
  }

  std::map<int, Unit> units;
  std::map<int, DislodgedUnit> dislodged;
  for (const auto& [p, unit] : position_.units) {
    if (result.at(p).dislodged()) continue;
    if (result.at(p).moved) {
      Unit moved = unit;
      moved.location = orders.at(p).destination;
      units[moved.location.province] = moved;
    } else {
      units[p] = unit;
    }
  }
  for (const auto& [p, unit] : position_.units) {
    const ProvinceOutcome& fate = result.at(p);
    if (!fate.dislodged()) continue;
    DislodgedUnit entry{unit, {}};
    for (const Location& to : map_->moves(unit.location)) {
      if (units.count(to.province) || result.at(to.province).contested) continue;
      // Not back along the attack, unless the attacker came by sea.
      if (to.province == fate.dislodged_by && !fate.by_convoy) continue;
      entry.retreats.insert(to);
    }
    // A unit with nowhere to go is disbanded at once.
    if (!entry.retreats.empty()) dislodged[p] = std::move(entry);
  }
  position_.units = std::move(units);
  position_.dislodged = std::move(dislodged);

  const bool spring = position_.season == SPR;
  if (!position_.dislodged.empty()) {
    position_.season = spring ? SUM : AUT;
  } else if (spring) {
    position_.season = FAL;
  } else {
    after_autumn(outcome);
  }
}

void RulesGame::process_retreats(PhaseOutcome& outcome) {
  std::map<int, int> wanted;  // destination province -> retreats into it
  for (const auto& [p, order] : orders_) {
    if (order.kind == OrderKind::kRetreat) ++wanted[order.destination.province];
  }
  for (const auto& [p, entry] : position_.dislodged) {
    const auto given = orders_.find(p);
    const Order order =
        given != orders_.end()
            ? given->second
            : Order{OrderKind::kDisband, entry.unit.power, entry.unit, {}, -1, -1, {}};
    Token result = SUC;
    if (order.kind == OrderKind::kRetreat) {
      if (wanted[order.destination.province] > 1) {
        // Two retreats into one province: both units are lost.
        result = BNC;
      } else {
        Unit unit = entry.unit;
        unit.location = order.destination;
        position_.units[unit.location.province] = unit;
      }
    }
    record(outcome, order, result, false);
  }
  position_.dislodged.clear();
  if (position_.season == SUM) {
    position_.season = FAL;
  } else {
    after_autumn(outcome);
  }
}

void RulesGame::after_autumn(PhaseOutcome& outcome) {
  for (const auto& [p, unit] : position_.units) {
    if (map_->supply_centre(p))
      position_.owners[static_cast<std::size_t>(p)] = GameBoard::power_token(unit.power);
  }
  outcome.centres_updated = true;
  for (int power = 0; power < map_->power_count(); ++power) {
    if (2 * position_.centre_count(*map_, power) > map_->supply_centre_count()) winner_ = power;
  }
  if (winter_has_decisions()) {
    position_.season = WIN;
  } else {
    position_.season = SPR;
    ++position_.year;
  }
}

bool RulesGame::winter_has_decisions() const {
  for (int power = 0; power < map_->power_count(); ++power) {
    const int owed = surplus(power);
    if (owed < 0 || (owed > 0 && can_build(power))) return true;
  }
  return false;
}

void RulesGame::process_adjustments(PhaseOutcome& outcome) {
  for (int power = 0; power < map_->power_count(); ++power) {
    const int owed = surplus(power);
    if (owed < 0) {
      int removed = 0;
      for (const auto& [p, order] : removals_) {
        if (order.power != power) continue;
        record(outcome, order, SUC, false);
        ++removed;
      }
      for (int p : civil_disorder_removals(*map_, position_, power, -owed - removed, removals_)) {
        const Order order{OrderKind::kRemove, power, position_.units.at(p), {}, -1, -1, {}};
        record(outcome, order, SUC, false);
        removals_[p] = order;
      }
    } else if (owed > 0) {
      int built = 0;
      for (const auto& [p, order] : builds_) {
        if (order.power != power) continue;
        record(outcome, order, SUC, false);
        ++built;
      }
      // Builds not ordered, or that could not be, are waived.
      const int waived = owed - built;
      if (!has_decisions(power) && built == 0) continue;
      for (int i = 0; i < waived; ++i) {
        const Order waive{OrderKind::kWaive, power, {}, {}, -1, -1, {}};
        record(outcome, waive, SUC, false);
      }
    }
  }
  for (const auto& [p, order] : removals_)
    position_.units.erase(p);
  for (const auto& [p, order] : builds_)
    position_.units[p] = order.unit;
  position_.season = SPR;
  ++position_.year;
}

bool RulesGame::eliminated(int power) const {
  return position_.unit_count(power) == 0 && position_.centre_count(*map_, power) == 0;
}

std::vector<int> civil_disorder_removals(const RulesMap& map, const Position& position, int power,
                                         int count, const std::map<int, Order>& ordered) {
  constexpr int kFar = 1 << 20;
  const std::vector<int>& homes = map.home_centres(power);
  auto is_home = [&homes](int p) {
    return std::find(homes.begin(), homes.end(), p) != homes.end();
  };

  // Armies count moves as if they could be carried across the sea.
  auto army_distance = [&](int from) {
    std::vector<int> steps(static_cast<std::size_t>(map.province_count()), -1);
    std::deque<int> queue{from};
    steps[static_cast<std::size_t>(from)] = 0;
    while (!queue.empty()) {
      const int p = queue.front();
      queue.pop_front();
      if (is_home(p)) return steps[static_cast<std::size_t>(p)];
      for (int q : map.neighbours(p)) {
        if (steps[static_cast<std::size_t>(q)] >= 0) continue;
        steps[static_cast<std::size_t>(q)] = steps[static_cast<std::size_t>(p)] + 1;
        queue.push_back(q);
      }
    }
    return kFar;
  };
  auto fleet_distance = [&](const Location& from) {
    std::map<Location, int> steps{{from, 0}};
    std::deque<Location> queue{from};
    while (!queue.empty()) {
      const Location at = queue.front();
      queue.pop_front();
      if (is_home(at.province)) return steps[at];
      for (const Location& next : map.moves(at)) {
        if (steps.count(next)) continue;
        steps[next] = steps[at] + 1;
        queue.push_back(next);
      }
    }
    return kFar;
  };

  struct Candidate {
    int distance;
    bool fleet;
    std::string name;
    int province;
  };
  std::vector<Candidate> candidates;
  for (const auto& [p, unit] : position.units) {
    if (unit.power != power || ordered.count(p)) continue;
    const bool fleet = unit.type == FLT;
    candidates.push_back(
        {fleet ? fleet_distance(unit.location) : army_distance(p), fleet, map.name(p), p});
  }
  std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
    if (a.distance != b.distance) return a.distance > b.distance;
    if (a.fleet != b.fleet) return a.fleet;
    return a.name < b.name;
  });
  std::vector<int> removed;
  for (int i = 0; i < count && i < static_cast<int>(candidates.size()); ++i) {
    removed.push_back(candidates[static_cast<std::size_t>(i)].province);
  }
  return removed;
}

}  // namespace quorvel::rules
