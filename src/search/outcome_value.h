#pragma once

#include <map>
#include <vector>

#include "game/location.h"
#include "rules/movement.h"
#include "rules/order.h"
#include "rules/rules_map.h"

namespace quorvel {
class ProvinceValuation;
}

namespace quorvel::search {

// Where a unit stands once a movement phase is processed.
struct UnitEnd {
  int power = 0;
  Location start;
  Location end;  // its start when it did not move
  bool dislodged = false;
};

// Whether the power owns the province.
bool owns(const rules::Position& position, int power, int province);

// Every unit's end, in the order of the position's units.
std::vector<UnitEnd> unit_ends(const rules::Position& position,
                               const std::map<int, rules::Order>& orders,
                               const rules::MovementResult& result);

// How good the ends are for the bot's power, by its valuation: each unit's occupation
// value where it ends (a dislodged unit the best safe place next to it), less the value of
// each own centre a foreign unit ends in, by loss_weight.
double own_value(const ProvinceValuation& valuation, const rules::RulesMap& map,
                 const rules::Position& position, const std::vector<UnitEnd>& ends, int power,
                 double loss_weight);

// The centres the power holds at the ends: those its units stand in, and its own that no
// foreign unit stands in.
int held_centres(const rules::RulesMap& map, const rules::Position& position,
                 const std::vector<UnitEnd>& ends, int power);

// The builds the ends leave room for after an autumn: the centres the power would hold
// beyond its units, dislodged ones included, as far as its free home centres allow.
int room_to_build(const rules::RulesMap& map, const rules::Position& position,
                  const std::vector<UnitEnd>& ends, int power);

// How good the ends are for any power, by its centres: a unit in a centre it does not own
// counts most, one in its own centre less, any unit a little; a dislodged unit and an own
// centre with a foreign unit in it count against it.
double plain_value(const rules::RulesMap& map, const rules::Position& position,
                   const std::vector<UnitEnd>& ends, int power);

}  // namespace quorvel::search
