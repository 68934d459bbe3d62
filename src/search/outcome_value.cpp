#include "search/outcome_value.h"

#include <algorithm>

#include "protocol/token.h"
#include "valuation/province_valuation.h"

namespace quorvel::search {

bool owns(const rules::Position& position, int power, int province) {
  const Token owner = position.owners[static_cast<std::size_t>(province)];
  return owner.category() == CATEGORY_POWER && owner.subtoken() == power;
}

std::vector<UnitEnd> unit_ends(const rules::Position& position,
                               const std::map<int, rules::Order>& orders,
                               const rules::MovementResult& result) {
  std::vector<UnitEnd> ends;
  ends.reserve(position.units.size());
  for (const auto& [p, unit] : position.units) {
    UnitEnd end{unit.power, unit.location, unit.location, false};
    if (result.at(p).dislodged()) {
      end.dislodged = true;
    } else if (result.at(p).moved) {
      const auto order = orders.find(p);
      if (order != orders.end() && order->second.is_move()) end.end = order->second.destination;
    }
    ends.push_back(end);
  }
  return ends;
}

double own_value(const ProvinceValuation& valuation, const rules::RulesMap& map,
                 const rules::Position& position, const std::vector<UnitEnd>& ends, int power,
                 double loss_weight) {
  double value = 0;
  for (const UnitEnd& end : ends) {
    if (end.power == power) {
      value += end.dislodged ? valuation.bestSafeNeighbourValue(end.start)
                             : valuation.occupationValue(end.end);
    } else if (!end.dislodged && map.supply_centre(end.end.province) &&
               owns(position, power, end.end.province)) {
      value -= loss_weight * valuation.provinceValue(end.end.province);
    }
  }
  return value;
}

namespace {

// Who stands in each province at the ends, by power (-1: nobody); dislodged units are gone.
std::vector<int> standing_powers(const rules::RulesMap& map, const std::vector<UnitEnd>& ends) {
  std::vector<int> standing(static_cast<std::size_t>(map.province_count()), -1);
  for (const UnitEnd& end : ends) {
    if (!end.dislodged) standing[static_cast<std::size_t>(end.end.province)] = end.power;
  }
  return standing;
}

bool holds(const rules::Position& position, const std::vector<int>& standing, int power,
           int province) {
  const int in = standing[static_cast<std::size_t>(province)];
  return in == power || (in < 0 && owns(position, power, province));
}

int held_centres(const rules::RulesMap& map, const rules::Position& position,
                 const std::vector<int>& standing, int power) {
  int held = 0;
  for (int p = 0; p < map.province_count(); ++p) {
    if (map.supply_centre(p) && holds(position, standing, power, p)) ++held;
  }
  return held;
}

}  // namespace

int held_centres(const rules::RulesMap& map, const rules::Position& position,
                 const std::vector<UnitEnd>& ends, int power) {
  return held_centres(map, position, standing_powers(map, ends), power);
}

int room_to_build(const rules::RulesMap& map, const rules::Position& position,
                  const std::vector<UnitEnd>& ends, int power) {
  const std::vector<int> standing = standing_powers(map, ends);
  const auto units = std::count_if(ends.begin(), ends.end(),
                                   [&](const UnitEnd& end) { return end.power == power; });
  int free = 0;
  for (int h : map.home_centres(power)) {
    if (standing[static_cast<std::size_t>(h)] < 0 && owns(position, power, h)) ++free;
  }
  const int beyond = held_centres(map, position, standing, power) - static_cast<int>(units);
  return std::max(0, std::min(free, beyond));
}

double plain_value(const rules::RulesMap& map, const rules::Position& position,
                   const std::vector<UnitEnd>& ends, int power) {
  double value = 0;
  for (const UnitEnd& end : ends) {
    const int at = end.end.province;
    if (end.power == power) {
      if (end.dislodged) {
        value -= 1;
      } else {
        value += 1;
        if (map.supply_centre(at)) value += owns(position, power, at) ? 1 : 3;
      }
    } else if (!end.dislodged && map.supply_centre(at) && owns(position, power, at)) {
      value -= 2;
    }
  }
  return value;
}

}  // namespace quorvel::search
