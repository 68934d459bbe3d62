#pragma once

#include <vector>

#include "game/location.h"
#include "game/order_kind.h"
#include "protocol/token.h"
#include "protocol/token_message.h"
#include "rules/position.h"

namespace quorvel::rules {

class RulesMap;

// An order as the rules read it, checked against the position when it was submitted.
struct Order {
  OrderKind kind = OrderKind::kHold;
  int power = 0;
  Unit unit;             // the ordered unit; for a build, the unit to build
  Location destination;  // of a move, a convoyed move or a retreat
  int supported = -1;    // province of the supported or convoyed unit
  int target = -1;       // province a supported move or a convoy goes to
  std::vector<int> via;  // the seas of a convoyed move, as ordered

  bool is_move() const { return kind == OrderKind::kMove || kind == OrderKind::kConvoyedMove; }
  int target_province() const { return is_move() ? destination.province : target; }
};

// The order in the client's syntax, as the server reports it back.
TokenMessage order_message(const RulesMap& map, const Position& position, const Order& order);

// An order checked on submission: MBV and the order when the server takes it, else the
// note that says why not.
struct CheckedOrder {
  Token note;
  Order order;
};

// Checks one order of a SUB message from the power, against the map and the position of
// the current phase. Counts of builds and removals are the game's to check.
CheckedOrder check_order(const RulesMap& map, const Position& position, int power,
                         const TokenMessage& order);

}  // namespace quorvel::rules
