#pragma once

#include <map>
#include <vector>

#include "protocol/token.h"
#include "rules/order.h"
#include "rules/position.h"

namespace quorvel::rules {

class RulesMap;

// What became of the unit that stood in a province, and of the province itself.
struct ProvinceOutcome {
  Token result;            // of its unit: SUC BNC CUT DSR NSO
  bool moved = false;      // its unit left
  int dislodged_by = -1;   // the province its unit's dislodger came from
  bool by_convoy = false;  // that dislodger came by convoy
  bool contested = false;  // left empty by a standoff

  bool dislodged() const { return dislodged_by >= 0; }
};

// By province: one flat table, as the search adjudicates thousands of these a phase.
struct MovementResult {
  std::vector<ProvinceOutcome> provinces;

  const ProvinceOutcome& at(int province) const {
    return provinces[static_cast<std::size_t>(province)];
  }
};

// Resolves a movement phase. Orders are keyed by the province of their unit; units
// without one hold. Circular movement succeeds; a paradox involving convoys is settled
// by the Szykman rule (the convoys of the paradox fail); an army is carried when any
// route of fleets convoying it stays intact.
MovementResult adjudicate_movement(const RulesMap& map, const Position& position,
                                   const std::map<int, Order>& orders);

}  // namespace quorvel::rules
