#pragma once

#include <optional>

#include "game/order_kind.h"
#include "protocol/token_message.h"

namespace quorvel {

// What an order does, by power and province indexes: enough to judge it against an
// agreement, from the order as SUB or ORD write it.
struct OrderFacts {
  OrderKind kind = OrderKind::kHold;
  int power = -1;
  int unit = -1;         // the unit's province; a build's province
  int destination = -1;  // of a move, a convoyed move or a retreat
  int supported = -1;    // the province of the supported or convoyed unit
  int target = -1;       // where a supported move or a convoy goes

  bool is_move() const { return kind == OrderKind::kMove || kind == OrderKind::kConvoyedMove; }
  // Where the order sends a unit of the power: a move, a retreat or a build.
  int entered() const;
  friend bool operator==(const OrderFacts&, const OrderFacts&) = default;
};

// The order read from its message; nothing when it is no order.
std::optional<OrderFacts> read_order_facts(const TokenMessage& order);

}  // namespace quorvel
