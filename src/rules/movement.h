#pragma once

#include <map>
#include <set>

#include "protocol/token.h"
#include "rules/order.h"
#include "rules/position.h"

namespace quorvel::rules {

class RulesMap;

struct MovementResult {
  std::map<int, Token> results;       // per unit, by its province: SUC BNC CUT DSR NSO
  std::set<int> moved;                // units that left their province
  std::map<int, int> dislodged_by;    // dislodged unit -> province the attacker came from
  std::set<int> dislodged_by_convoy;  // dislodged units whose attacker came by convoy
  std::set<int> contested;            // provinces left empty by a standoff
};

// Resolves a movement phase. Orders are keyed by the province of their unit; units
// without one hold. Circular movement succeeds; a paradox involving convoys is settled
// by the Szykman rule (the convoys of the paradox fail); an army is carried when any
// route of fleets convoying it stays intact.
MovementResult adjudicate_movement(const RulesMap& map, const Position& position,
                                   const std::map<int, Order>& orders);

}  // namespace quorvel::rules
