#pragma once

#include <map>
#include <vector>

#include "game/location.h"
#include "planning/location_set.h"
#include "protocol/token.h"

namespace quorvel {

class GameBoard;
class ProvinceValuation;

// Province numbers below zero stand for leaving the board. Province 0 exists, so the
// unit leaving province p is filed under -(p + 1), never under -p = 0.
constexpr int leaving(int province) {
  return -province - 1;
}
constexpr int left_from(int key) {
  return -key - 1;
}

// One decision of the phase: a unit (or a build slot) and the places it may choose from:
// (leaving(p), ...) for the unit of province p going off the board, (-i, 0) for build
// slot i.
struct UnitOption {
  Location location;
  int power = 0;
  Token unit_type;
  LocationSet candidates;

  bool isArmy() const;
};

// Every decision of the current phase, for every power, keyed by province (negative for
// retreating units and build slots). Plans refer to its options: they must not outlive
// the next rebuild.
class UnitOptionTable {
 public:
  UnitOptionTable(const GameBoard& game, const ProvinceValuation& valuation);

  void rebuild();
  // Keeps the power's units and builds out of the provinces marked (by province): no
  // candidate leads there but a unit's own place. What agreements forbid the bot, or
  // what the bot trusts a partner not to do.
  void forbid(int power, const std::vector<bool>& provinces);
  // The decision filed under the key may only end at the place given (a promised order).
  void pin(int key, const Location& end);
  // The unit filed under the key does not stay where it is, when it can go anywhere else.
  void evict(int key);
  const std::map<int, UnitOption>& options() const { return options_; }
  const GameBoard& game() const { return game_; }
  const ProvinceValuation& valuation() const { return valuation_; }

 private:
  const GameBoard& game_;
  const ProvinceValuation& valuation_;
  std::map<int, UnitOption> options_;
};

}  // namespace quorvel
