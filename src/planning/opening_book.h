#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "game/location.h"
#include "protocol/token.h"

namespace quorvel {

class GameBoard;
class UnitOptionTable;

// One order of an opening, as written in the settings: "A VIE-GAL", "F STP/SC-GOB",
// "F TRI H". Places stay names until a board reads them.
struct OpeningOrder {
  bool army = true;
  std::string from;
  std::string from_coast;  // when the line names it: the unit must stand there
  std::string to;          // empty for a hold
  std::string coast;       // of the destination, for a fleet on a split coast
};

// The orders of a power's first movement phase, one per unit it starts with.
using OpeningLine = std::vector<OpeningOrder>;

// Reads "A VIE-GAL A BUD-SER F TRI H" (no commas: settings lines end up in CSV files). An empty
// text is no opening (an empty line); a text that does not read answers nothing and says why.
std::optional<OpeningLine> read_opening(std::string_view text, std::string* why = nullptr);

// What the line orders on this board, as (unit key, end place) for the option table and
// the board's orders; a hold ends at the unit's own place. Empty unless the line names
// exactly the power's units, by type and place, and every destination is still among
// that unit's candidates (agreements may have removed some): a line written for another
// start, another map or another power is no advice.
std::vector<std::pair<int, Location>> opening_orders(const OpeningLine& line, const GameBoard& game,
                                                     const UnitOptionTable& options);

}  // namespace quorvel
