#pragma once

#include <compare>

#include "protocol/token.h"

namespace quorvel {

// A place a unit can stand on: a province index and a coast key (AMY for an army, FLT for
// a fleet in a province with one coast, the coast token for one coast of several).
struct Location {
  int province = 0;
  Token coast;

  friend constexpr auto operator<=>(const Location&, const Location&) = default;
};

}  // namespace quorvel
