// The orders of the turn and the SUB message that submits them.
#include <algorithm>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel {

UnitRecord* GameBoard::find_unit(int province) {
  const auto it = units.find(province);
  return it == units.end() ? nullptr : &it->second;
}

bool GameBoard::order_hold(int province) {
  UnitRecord* unit = find_unit(province);
  if (unit == nullptr) return false;
  unit->order = OrderKind::kHold;
  return true;
}

bool GameBoard::order_move(int province, const Location& destination) {
  UnitRecord* unit = find_unit(province);
  if (unit == nullptr) return false;
  unit->order = OrderKind::kMove;
  unit->destination = destination;
  return true;
}

bool GameBoard::order_support_hold(int province, int supported) {
  UnitRecord* unit = find_unit(province);
  if (unit == nullptr) return false;
  unit->order = OrderKind::kSupportHold;
  unit->other_unit = supported;
  return true;
}

bool GameBoard::order_support_move(int province, int supported, int target) {
  UnitRecord* unit = find_unit(province);
  if (unit == nullptr) return false;
  unit->order = OrderKind::kSupportMove;
  unit->other_unit = supported;
  unit->target = target;
  return true;
}

bool GameBoard::order_convoy(int province, int army, int target) {
  UnitRecord* unit = find_unit(province);
  if (unit == nullptr) return false;
  unit->order = OrderKind::kConvoy;
  unit->other_unit = army;
  unit->target = target;
  return true;
}

bool GameBoard::order_move_by_convoy(int province, int target, int n, const int* path) {
  UnitRecord* unit = find_unit(province);
  if (unit == nullptr) return false;
  unit->order = OrderKind::kConvoyedMove;
  unit->destination = Location{target, tok::AMY};
  unit->convoy_path.clear();
  if (path != nullptr) unit->convoy_path.assign(path, path + std::max(n, 0));
  return true;
}

bool GameBoard::order_retreat(int province, const Location& destination) {
  const auto it = dislodged_units.find(province);
  if (it == dislodged_units.end()) return false;
  it->second.order = OrderKind::kRetreat;
  it->second.destination = destination;
  return true;
}

bool GameBoard::order_disband(int province) {
  const auto it = dislodged_units.find(province);
  if (it == dislodged_units.end()) return false;
  it->second.order = OrderKind::kDisband;
  return true;
}

void GameBoard::order_build(const Location& location) {
  for (auto it = adjustment_orders.begin(); it != adjustment_orders.end(); ++it) {
    if (it->province == location.province) {
      adjustment_orders.erase(it);
      break;
    }
  }
  adjustment_orders.insert(location);
  adjustment_orders_are_builds = true;
}

bool GameBoard::order_remove(int province) {
  const UnitRecord* unit = find_unit(province);
  if (unit == nullptr) return false;
  adjustment_orders.insert(unit->location);
  adjustment_orders_are_builds = false;
  return true;
}

void GameBoard::add_waives(int n) {
  waive_count += n;
}

namespace {

Token province_token(const std::array<MapProvince, kMaxProvinces>& provinces, int province) {
  if (province < 0 || province >= kMaxProvinces) return Token();
  return provinces[static_cast<std::size_t>(province)].token;
}

}  // namespace

TokenMessage GameBoard::location_message(const Location& location) const {
  const Token province = province_token(provinces, location.province);
  if (location.coast.category() != CATEGORY_COAST) return province;
  return (province + location.coast).enclose();
}

TokenMessage GameBoard::unit_text(const UnitRecord& unit) const {
  return power_token(unit.power) + unit.unit_type + location_message(unit.location);
}

TokenMessage GameBoard::order_text(const UnitRecord& unit) const {
  const TokenMessage self = unit_text(unit).enclose();
  switch (unit.order) {
    case OrderKind::kMove:
      return self + tok::MTO + location_message(unit.destination);
    case OrderKind::kSupportHold:
    case OrderKind::kSupportMove:
    case OrderKind::kConvoy: {
      // The caller promises the other unit stands there; without it the order could only
      // be refused, so the unit holds instead.
      const auto other = units.find(unit.other_unit);
      if (other == units.end()) return self + tok::HLD;
      const TokenMessage other_text = unit_text(other->second).enclose();
      const Token target = province_token(provinces, unit.target);
      if (unit.order == OrderKind::kSupportHold) return self + tok::SUP + other_text;
      if (unit.order == OrderKind::kSupportMove)
        return self + tok::SUP + other_text + tok::MTO + target;
      return self + tok::CVY + other_text + tok::CTO + target;
    }
    case OrderKind::kConvoyedMove: {
      TokenMessage path;
      for (int sea : unit.convoy_path)
        path = path + province_token(provinces, sea);
      return self + tok::CTO + location_message(unit.destination) + tok::VIA + path.enclose();
    }
    case OrderKind::kRetreat:
      return self + tok::RTO + location_message(unit.destination);
    case OrderKind::kDisband:
      return self + tok::DSB;
    default:
      return self + tok::HLD;
  }
}

TokenMessage GameBoard::build_submission() const {
  TokenMessage submission(tok::SUB);
  const int own_index = own_power.subtoken();
  auto add_orders = [&](const std::map<int, UnitRecord>& table) {
    for (const auto& [province, unit] : table) {
      if (unit.power == own_index && unit.order != OrderKind::kNone) {
        submission = submission & order_text(unit);
      }
    }
  };
  if (is_movement_season(season)) {
    add_orders(units);
  } else if (is_retreat_season(season)) {
    add_orders(dislodged_units);
  } else {
    const Token action = adjustment_orders_are_builds ? tok::BLD : tok::REM;
    for (const Location& location : adjustment_orders) {
      const Token unit_type = location.coast == tok::AMY ? tok::AMY : tok::FLT;
      submission =
          submission & ((own_power + unit_type + location_message(location)).enclose() + action);
    }
    for (int i = 0; i < waive_count; ++i)
      submission = submission & (own_power + tok::WVE);
  }
  return submission;
}

}  // namespace quorvel
