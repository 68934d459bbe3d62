#pragma once

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "game/board_map.h"
#include "game/location.h"
#include "game/order_kind.h"
#include "protocol/token.h"
#include "protocol/token_message.h"

namespace quorvel {

struct UnitRecord {
  Location location;
  int power = 0;
  Token unit_type;
  OrderKind order = OrderKind::kNone;
  Location destination;
  int other_unit = 0;
  int target = 0;
  std::vector<int> convoy_path;
  std::set<Location> retreat_options;
};

// Where the game stands as a NOW gives it: the turn, the units and the dislodged units
// with their retreat options. Plain data, read alike by the bot's board and the rules.
struct BoardPosition {
  Token season;
  int year = 0;
  std::map<int, UnitRecord> units;
  std::map<int, UnitRecord> dislodged_units;
};

// Each reader answers -1, or the token position of the first fault within the whole
// message; 0 (the message is not of its kind) leaves the output untouched.

// Reads a NOW. Units read before a fault stay; a dislodged unit is stored even after a
// fault in its retreat options.
int read_position(const BoardMap& map, const TokenMessage& now, BoardPosition& position);

// Reads an SCO into the owners it names, province and owner, in the message's order; the
// entries before a fault stay.
int read_centres(const BoardMap& map, const TokenMessage& sco,
                 std::vector<std::pair<int, Token>>& owners);

}  // namespace quorvel
