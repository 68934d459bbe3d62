#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/random_source.h"
#include "game/location.h"
#include "planning/location_set.h"
#include "planning/unit_option_table.h"

namespace quorvel {

class GameBoard;
class PlanEvaluator;
class ProvinceValuation;

// One order of a plan: which target its unit takes, and its place in a convoy chain.
struct PlanOrder {
  // Where the order draws its targets from: its option's candidates, or the own
  // candidates of the order filed under that key (an army's own, or those of the last
  // fleet of its convoy chain).
  static constexpr int kOptionCandidates = 1 << 20;

  const UnitOption* unit = nullptr;
  Location target;
  int candidates = kOptionCandidates;
  bool supporting = false;
  LocationSet ownCandidates;
  int convoyNext = 0;
  int convoyedArmy = 0;

  int province() const { return unit->location.province; }
  bool isArmy() const { return unit->isArmy(); }
  int targetProvince() const { return target.province; }
  bool staysPut() const { return supporting || target.province == province(); }
  int endProvince() const { return supporting ? province() : target.province; }
  Location endLocation() const { return supporting ? unit->location : target; }
  bool isConvoyedArmy() const { return isArmy() && convoyNext != province(); }
  bool isConvoying() const { return convoyedArmy != province(); }
};

// One set of decisions for the bot's power: an order per unit or build slot, and the
// claims, which record the province each order ends in. No two orders end in one
// province, no two swap, and convoy chains run from an army through the fleets that
// carry it.
class Plan {
 public:
  // Restarts the player's random source, as every new plan does.
  explicit Plan(RandomSource& random);
  Plan(const Plan&) = delete;
  Plan& operator=(const Plan&) = delete;

  void init(const UnitOptionTable& options, PlanEvaluator& evaluator);
  void addUnit(const UnitOption& option);
  void addOwnUnits();
  // A deep copy: every reference of the copy points into the copy or the option table.
  void assign(const Plan& other);
  int evaluate();

  // Orders in key order, and by key.
  std::vector<PlanOrder>& orders() { return orders_; }
  const std::vector<PlanOrder>& orders() const { return orders_; }
  PlanOrder* orderAt(int key);
  const PlanOrder* orderAt(int key) const;
  bool hasOrderAt(int key) const { return orderAt(key) != nullptr; }
  int keyOf(const PlanOrder& order) const { return order.province(); }

  // Claims.
  PlanOrder* claimant(int province);
  const PlanOrder* claimant(int province) const;
  bool isClaimed(int province) const { return claimant(province) != nullptr; }
  void setClaimant(int province, PlanOrder* order);
  void clearClaims();
  // Claimed provinces in ascending order.
  std::vector<int> claimedProvinces() const;
  bool claim(PlanOrder& order);
  bool setTarget(PlanOrder& order, const Location& location, bool supporting);
  int removalCount(int power) const;

  // Orders.
  const LocationSet& candidatesOf(const PlanOrder& order) const;
  void resetToHold(PlanOrder& order);
  const Location& drawCandidate(const PlanOrder& order) const;

  // Convoy chains.
  PlanOrder& convoyTail(PlanOrder& order);
  bool linkConvoy(int army, int tail, int sea);
  void unlinkConvoy(int province);
  bool checkConvoy(int province);
  std::vector<int> convoyRoute(int province) const;

  std::string toText() const;
  void toOrders(GameBoard& game) const;

  const UnitOptionTable* optionTable() const { return options_; }
  PlanEvaluator* evaluator() const { return evaluator_; }
  const ProvinceValuation& valuation() const;
  RandomSource& random() const { return *random_; }

 private:
  static constexpr int kOffset = 256;
  static bool inRange(int province) { return province >= -kOffset && province < kOffset; }
  int indexOf(const PlanOrder& order) const { return static_cast<int>(&order - orders_.data()); }
  void reindex();
  std::string orderText(const PlanOrder& order) const;

  RandomSource* random_;
  const UnitOptionTable* options_ = nullptr;
  PlanEvaluator* evaluator_ = nullptr;
  std::vector<PlanOrder> orders_;
  std::array<int, 2 * kOffset> order_index_;  // key + kOffset -> index in orders_, or -1
  std::array<int, 2 * kOffset> claims_;       // province + kOffset -> index in orders_, or -1
};

}  // namespace quorvel
