#pragma once

#include <map>
#include <memory>
#include <vector>

#include "protocol/token_message.h"
#include "rules/order.h"
#include "rules/position.h"
#include "rules/rules_map.h"

namespace quorvel::rules {

// One game under the rules: the map, the position, the orders of the current phase, and
// the processing of each phase into the next.
class RulesGame {
 public:
  // -1, or the position of the first fault in the map definition.
  int load_map(const TokenMessage& mdf);
  // The position to play from: -1, or the position of the first fault.
  int load_position(const TokenMessage& now, const TokenMessage& sco);

  const RulesMap& map() const { return *map_; }
  const Position& position() const { return position_; }
  Token season() const { return position_.season; }

  // Takes one order of a power's SUB: MBV when accepted, else the note saying why not;
  // no token when it is no order at all. A later order for a unit replaces the earlier.
  Token submit(int power, const TokenMessage& order);
  // Takes a movement phase's orders as already checked (by the unit's province), in place
  // of any submitted: a game played on without reading orders again.
  void set_movement_orders(std::map<int, Order> orders) { orders_ = std::move(orders); }
  // Without result messages, a phase processed reports its orders' results as values
  // alone: cheaper for a game only played on to look ahead.
  void keep_result_messages(bool keep) { keep_result_messages_ = keep; }
  // Whether the power has anything to decide in this phase, and whether it has still
  // not ordered all of it.
  bool has_decisions(int power) const;
  bool orders_missing(int power) const;
  // MIS for the power: what it has still to order.
  TokenMessage missing_message(int power) const;

  // An order of the phase processed, given or the rules' own (a hold, a disband, a removal
  // in civil disorder, a waive), with its result.
  struct OrderResult {
    Order order;
    Token result;  // SUC BNC CUT DSR NSO
    bool dislodged = false;
  };
  struct PhaseOutcome {
    std::vector<TokenMessage> results;  // ORD messages of the phase processed
    std::vector<OrderResult> orders;    // the same as values
    bool centres_updated = false;       // ownership changed hands after an autumn
    int winner = -1;                    // a power that holds more than half of the centres
  };
  // Processes the phase with the orders taken, and moves on to the next phase in which
  // somebody has something to do.
  PhaseOutcome process();

  // The orders taken in this phase: moves and retreats by the unit's province, builds by
  // province, removals by the unit's province, and each power's waived builds.
  const std::map<int, Order>& orders() const { return orders_; }
  const std::map<int, Order>& builds() const { return builds_; }
  const std::map<int, Order>& removals() const { return removals_; }
  int waives(int power) const {
    const auto found = waives_.find(power);
    return found == waives_.end() ? 0 : found->second;
  }

  // Powers with no unit and no centre are out of the game.
  bool eliminated(int power) const;
  int winner() const { return winner_; }

 private:
  void process_movement(PhaseOutcome& outcome);
  void process_retreats(PhaseOutcome& outcome);
  void process_adjustments(PhaseOutcome& outcome);
  void after_autumn(PhaseOutcome& outcome);
  bool winter_has_decisions() const;
  int surplus(int power) const;
  bool can_build(int power) const;
  int adjustments_left(int power) const;
  // The order's result, as ORD and as a value.
  void record(PhaseOutcome& outcome, const Order& order, Token result, bool dislodged) const;

  // Shared by copies, so that a game played on from a copy costs no copy of its map.
  std::shared_ptr<const RulesMap> map_ = std::make_shared<const RulesMap>();
  Position position_;
  std::map<int, Order> orders_;    // movement and retreats, by the unit's province
  std::map<int, Order> builds_;    // by province
  std::map<int, Order> removals_;  // by the unit's province
  std::map<int, int> waives_;      // by power
  int winner_ = -1;
  bool keep_result_messages_ = true;
};

// Which units of a power that owes removals the rules remove when it orders too few:
// those farthest from its home centres (armies may cross the sea, fleets follow their
// coasts), fleets before armies, then by province name.
std::vector<int> civil_disorder_removals(const RulesMap& map, const Position& position, int power,
                                         int count, const std::map<int, Order>& ordered);

}  // namespace quorvel::rules
