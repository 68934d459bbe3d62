// What a server answers to each submitted order, and the order it then holds.
#include <algorithm>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"
#include "rules/order.h"
#include "rules/rules_map.h"

namespace quorvel::rules {

namespace {

using namespace tok;

struct Place {
  int province = -1;
  Token coast;  // 0 when none was written
};

bool read_place(const RulesMap& map, const TokenMessage& element, Place& place) {
  if (element.is_single_token()) {
    const Token t = element.first_token();
    if (!t.is_province() || !map.valid(t.subtoken())) return false;
    place = Place{t.subtoken(), Token()};
    return true;
  }
  if (element.length() != 2) return false;
  const Token t = element.token_at(0);
  const Token coast = element.token_at(1);
  if (!t.is_province() || !map.valid(t.subtoken()) || coast.category() != CATEGORY_COAST) {
    return false;
  }
  place = Place{t.subtoken(), coast};
  return true;
}

// ( power type place ): a unit as written; false when it cannot be read at all.
bool read_unit(const RulesMap& map, const TokenMessage& element, Unit& unit) {
  if (element.sub_message_count() != 3 || !element.sub_message_is_single_token(0) ||
      !element.sub_message_is_single_token(1)) {
    return false;
  }
  const Token power = element.token_at(0);
  const Token type = element.token_at(1);
  Place place;
  if (power.category() != CATEGORY_POWER || !map.has_power(power.subtoken()) ||
      (type != AMY && type != FLT) || !read_place(map, element.sub_message(2), place)) {
    return false;
  }
  unit.power = power.subtoken();
  unit.type = type;
  Token key = type == AMY ? AMY : (place.coast == Token() ? FLT : place.coast);
  // A fleet named without its coast in a province of several coasts: the one it has.
  if (type == FLT && place.coast == Token()) {
    const std::vector<Token> keys = map.fleet_keys(place.province);
    if (keys.size() == 1) key = keys.front();
  }
  unit.location = Location{place.province, key};
  return true;
}

bool same_unit(const Unit& a, const Unit& b) {
  return a.power == b.power && a.type == b.type && a.location == b.location;
}

CheckedOrder refuse(Token note) {
  return CheckedOrder{note, Order{}};
}

// The kind word of an order of any phase, or 0 when the order has none of their shapes.
Token order_word(const TokenMessage& order) {
  if (order.sub_message_count() < 2 || !order.sub_message_is_single_token(1)) return Token();
  return order.token_at(order.sub_message_start(1));
}

bool adjustment_word(Token word) {
  return word == WVE || word == BLD || word == REM;
}

bool unit_order_word(Token word) {
  return word == HLD || word == MTO || word == SUP || word == CVY || word == CTO || word == RTO ||
         word == DSB;
}

// A late order of the previous phase is the client's race with the server, not a garbled
// message: it gets the note "not the right season" rather than HUH.
bool other_season(Token season, Token word) {
  return season == WIN ? unit_order_word(word) : adjustment_word(word);
}

// Where a fleet at from may end in province p, given the coast written (or none).
Token fleet_destination(const RulesMap& map, const Location& from, const Place& to) {
  std::vector<Location> reachable;
  for (const Location& place : map.moves(from)) {
    if (place.province == to.province) reachable.push_back(place);
  }
  if (to.coast != Token()) {
    for (const Location& place : reachable) {
      if (place.coast == to.coast) return to.coast;
    }
    return FAR;
  }
  if (reachable.empty()) return FAR;
  // One reachable coast is taken for granted; several need to be named.
  if (reachable.size() > 1) return CST;
  return reachable.front().coast;
}

// An army can be carried from one coast to another, if some sea could carry it.
bool convoyable(const RulesMap& map, int from, int to) {
  return from != to && map.coastal(from) && map.coastal(to);
}

CheckedOrder check_movement(const RulesMap& map, const Position& position, const Unit& unit,
                            const TokenMessage& order) {
  const int count = order.sub_message_count();
  const Token kind = order_word(order);
  Order result;
  result.power = unit.power;
  result.unit = unit;
  if (kind == HLD && count == 2) {
    result.kind = OrderKind::kHold;
    return {MBV, result};
  }
  if (kind == MTO && count == 3) {
    Place to;
    if (!read_place(map, order.sub_message(2), to)) return refuse(NSP);
    if (unit.type == AMY) {
      // A coast written for an army means nothing.
      if (!map.reaches(unit.location, to.province) ||
          !map.moves(unit.location).count(Location{to.province, AMY})) {
        return refuse(FAR);
      }
      result.destination = Location{to.province, AMY};
    } else {
      const Token coast = fleet_destination(map, unit.location, to);
      if (coast == FAR || coast == CST) return refuse(coast);
      result.destination = Location{to.province, coast};
    }
    result.kind = OrderKind::kMove;
    return {MBV, result};
  }
  if (kind == SUP && (count == 3 || count == 5)) {
    Unit other;
    if (!read_unit(map, order.sub_message(2), other)) return refuse(NSU);
    const auto there = position.units.find(other.location.province);
    if (there == position.units.end() || there->second.type != other.type) return refuse(NSU);
    const Unit& supported = there->second;
    result.supported = supported.location.province;
    if (count == 3) {
      if (!map.reaches(unit.location, result.supported)) return refuse(FAR);
      result.kind = OrderKind::kSupportHold;
      return {MBV, result};
    }
    Place target;
    if (order.token_at(order.sub_message_start(3)) != MTO ||
        !read_place(map, order.sub_message(4), target)) {
      return refuse(NSP);
    }
    const int t = target.province;
    if (t == unit.location.province || !map.reaches(unit.location, t)) return refuse(FAR);
    const bool direct = map.reaches(supported.location, t);
    if (t == result.supported ||
        (!direct && !(supported.type == AMY && convoyable(map, result.supported, t)))) {
      return refuse(FAR);
    }
    result.kind = OrderKind::kSupportMove;
    result.target = t;
    return {MBV, result};
  }
  if (kind == CVY && count == 5) {
    if (unit.type != FLT) return refuse(NSF);
    if (!map.sea(unit.location.province)) return refuse(NAS);
    Unit other;
    if (!read_unit(map, order.sub_message(2), other)) return refuse(NSA);
    const auto there = position.units.find(other.location.province);
    if (there == position.units.end() || there->second.type != AMY || other.type != AMY) {
      return refuse(NSA);
    }
    Place target;
    if (order.token_at(order.sub_message_start(3)) != CTO ||
        !read_place(map, order.sub_message(4), target)) {
      return refuse(NSP);
    }
    if (!convoyable(map, other.location.province, target.province)) return refuse(FAR);
    result.kind = OrderKind::kConvoy;
    result.supported = other.location.province;
    result.target = target.province;
    return {MBV, result};
  }
  if (kind == CTO && count == 5) {
    if (unit.type != AMY) return refuse(NSA);
    Place to;
    if (!read_place(map, order.sub_message(2), to)) return refuse(NSP);
    if (order.token_at(order.sub_message_start(3)) != VIA) return refuse(NSP);
    if (!convoyable(map, unit.location.province, to.province)) return refuse(FAR);
    const TokenMessage path = order.sub_message(4);
    if (path.length() < 1) return refuse(FAR);
    int from = unit.location.province;
    for (int i = 0; i < path.length(); ++i) {
      const Token sea = path.token_at(i);
      if (!sea.is_province() || !map.valid(sea.subtoken())) return refuse(NSP);
      const int s = sea.subtoken();
      if (!map.sea(s)) return refuse(NAS);
      const auto fleet = position.units.find(s);
      if (fleet == position.units.end() || fleet->second.type != FLT) return refuse(NSF);
      if (!map.reaches(fleet->second.location, from)) return refuse(FAR);
      result.via.push_back(s);
      from = s;
    }
    if (!map.reaches(position.units.at(from).location, to.province)) return refuse(FAR);
    result.kind = OrderKind::kConvoyedMove;
    result.destination = Location{to.province, AMY};
    return {MBV, result};
  }
  if ((kind == RTO && count == 3) || (kind == DSB && count == 2)) return refuse(NRN);
  return refuse(Token());
}

CheckedOrder check_retreat(const RulesMap& map, const Position& position, const Unit& unit,
                           const TokenMessage& order) {
  const auto entry = position.dislodged.find(unit.location.province);
  if (entry == position.dislodged.end() || !same_unit(entry->second.unit, unit)) {
    return refuse(position.units.count(unit.location.province) ? NRN : NSU);
  }
  const int count = order.sub_message_count();
  const Token kind = order_word(order);
  Order result;
  result.power = unit.power;
  result.unit = unit;
  if (kind == DSB && count == 2) {
    result.kind = OrderKind::kDisband;
    return {MBV, result};
  }
  if (kind == RTO && count == 3) {
    Place to;
    if (!read_place(map, order.sub_message(2), to)) return refuse(NSP);
    std::vector<Location> options;
    for (const Location& option : entry->second.retreats) {
      if (option.province != to.province) continue;
      if (unit.type == AMY || to.coast == Token() || option.coast == to.coast) {
        options.push_back(option);
      }
    }
    if (options.empty()) return refuse(NVR);
    if (options.size() > 1) return refuse(CST);
    result.kind = OrderKind::kRetreat;
    result.destination = options.front();
    return {MBV, result};
  }
  return refuse(NVR);
}

CheckedOrder check_adjustment(const RulesMap& map, const Position& position, int power,
                              const TokenMessage& order) {
  const Token kind = order_word(order);
  if (order.sub_message_count() != 2) return refuse(Token());
  if (kind == WVE && order.sub_message_is_single_token(0)) {
    const Token who = order.first_token();
    if (who.category() != CATEGORY_POWER || !map.has_power(who.subtoken())) return refuse(NSP);
    if (who.subtoken() != power) return refuse(NYU);
    Order result;
    result.kind = OrderKind::kWaive;
    result.power = power;
    return {MBV, result};
  }
  if (kind != BLD && kind != REM) return refuse(Token());
  const TokenMessage written = order.sub_message(0);
  if (kind == REM) {
    Unit unit;
    if (!read_unit(map, written, unit)) return refuse(NSU);
    const auto there = position.units.find(unit.location.province);
    if (there == position.units.end() || !same_unit(there->second, unit)) return refuse(NSU);
    if (unit.power != power) return refuse(NYU);
    Order result;
    result.kind = OrderKind::kRemove;
    result.power = power;
    result.unit = unit;
    return {MBV, result};
  }
  // A build: ( power type province ) or ( power FLT ( province coast ) ).
  if (written.sub_message_count() != 3) return refuse(NSP);
  const Token who = written.token_at(0);
  const Token type = written.token_at(1);
  Place place;
  if (who.category() != CATEGORY_POWER || !map.has_power(who.subtoken()) ||
      (type != AMY && type != FLT) || !read_place(map, written.sub_message(2), place)) {
    return refuse(NSP);
  }
  if (who.subtoken() != power) return refuse(NYU);
  const int p = place.province;
  if (!map.supply_centre(p)) return refuse(NSC);
  const auto& homes = map.home_centres(power);
  if (std::find(homes.begin(), homes.end(), p) == homes.end()) return refuse(HSC);
  if (position.owners[static_cast<std::size_t>(p)] != GameBoard::power_token(power))
    return refuse(YSC);
  if (position.units.count(p)) return refuse(ESC);
  Location location{p, AMY};
  if (type == AMY) {
    if (!map.land(p)) return refuse(FAR);
  } else {
    const std::vector<Token> keys = map.fleet_keys(p);
    if (keys.empty()) return refuse(FAR);
    if (place.coast == Token()) {
      if (keys.size() > 1) return refuse(CST);
      location.coast = keys.front();
    } else {
      if (std::find(keys.begin(), keys.end(), place.coast) == keys.end()) return refuse(FAR);
      location.coast = place.coast;
    }
  }
  Order result;
  result.kind = OrderKind::kBuild;
  result.power = power;
  result.unit = Unit{power, type, location};
  return {MBV, result};
}

}  // namespace

CheckedOrder check_order(const RulesMap& map, const Position& position, int power,
                         const TokenMessage& order) {
  const Token season = position.season;
  if (other_season(season, order_word(order))) return refuse(NRS);
  if (season == WIN) return check_adjustment(map, position, power, order);
  if (order.sub_message_count() < 2 || order.sub_message_is_single_token(0) ||
      !order.sub_message_is_single_token(1)) {
    return refuse(Token());
  }
  Unit unit;
  if (!read_unit(map, order.sub_message(0), unit)) return refuse(NSU);
  if (is_retreat_season(season)) {
    CheckedOrder checked = check_retreat(map, position, unit, order);
    if (checked.note == MBV && unit.power != power) return refuse(NYU);
    return checked;
  }
  const auto there = position.units.find(unit.location.province);
  if (there == position.units.end() || !same_unit(there->second, unit)) return refuse(NSU);
  if (unit.power != power) return refuse(NYU);
  return check_movement(map, position, unit, order);
}

TokenMessage order_message(const RulesMap& map, const Position& position, const Order& order) {
  const TokenMessage self = unit_message(map, order.unit).enclose();
  auto unit_at = [&](int p) -> TokenMessage {
    const auto there = position.units.find(p);
    if (there == position.units.end()) return TokenMessage(map.token(p)).enclose();
    return unit_message(map, there->second).enclose();
  };
  switch (order.kind) {
    case OrderKind::kNone:
    case OrderKind::kHold:
      return self + HLD;
    case OrderKind::kMove:
      return self + MTO + location_message(map, order.destination);
    case OrderKind::kSupportHold:
      return self + SUP + unit_at(order.supported);
    case OrderKind::kSupportMove:
      return self + SUP + unit_at(order.supported) + MTO + map.token(order.target);
    case OrderKind::kConvoy:
      return self + CVY + unit_at(order.supported) + CTO + map.token(order.target);
    case OrderKind::kConvoyedMove: {
      TokenMessage path;
      for (int sea : order.via)
        path = path + map.token(sea);
      return self + CTO + map.token(order.destination.province) + VIA + path.enclose();
    }
    case OrderKind::kRetreat:
      return self + RTO + location_message(map, order.destination);
    case OrderKind::kDisband:
      return self + DSB;
    case OrderKind::kBuild:
      return self + BLD;
    case OrderKind::kRemove:
      return self + REM;
    case OrderKind::kWaive:
      return GameBoard::power_token(order.power) + WVE;
  }
  return self + HLD;
}

}  // namespace quorvel::rules
