#pragma once

#include <array>
#include <vector>

namespace quorvel {

class GameBoard;
class Plan;
class ProvinceValuation;
class UnitOptionTable;
struct PlanOrder;

// Scores a plan: for each order, how likely its move succeeds, its unit keeps its
// province or it ends in a standoff, against the foreign units next to the provinces
// concerned; the province and occupation values of the outcomes weighted by those
// probabilities, plus the rewards and penalties of the "PlanEvaluation" settings.
class PlanEvaluator {
 public:
  // Reads the settings as they stand now.
  PlanEvaluator(const GameBoard& game, const ProvinceValuation& valuation);

  void setUnitTable(const UnitOptionTable& table) { table_ = &table; }
  int evaluate(const Plan& plan);
  // The score of the outcome in that province after the last evaluation; 0 when none.
  int scoreAt(int province) const;
  void afterSearch() {}

  // The settings read at construction.
  int rewardHoldUnownedSC() const { return reward_hold_unowned_sc_; }
  int rewardDisband() const { return reward_disband_; }
  double punishHoldWithoutEnemy() const { return punish_hold_without_enemy_; }
  double brokenSupport() const { return broken_support_; }
  double attack() const { return attack_; }
  double hold() const { return hold_; }
  double support() const { return support_; }

  // The outcome of the last evaluation in an end province, for inspection.
  struct ProvinceOutcome {
    const PlanOrder* order = nullptr;
    int supportCount = 0;
    int safeSupports = 0;
    int endangeredSupports = 0;
    int freeEnemiesAtEnd = 0;
    int engagedEnemiesAtEnd = 0;
    int freeEnemiesAtOwn = 0;
    int engagedEnemiesAtOwn = 0;
    int stance = 0;
    double pMove = 1.0;
    double pStay = 0.0;
    double pStandoff = 1.0;
    int endValue = 0;
    int endOccupation = 0;
    int ownOccupation = 0;
    int retreatValue = 0;
    int score = 0;
  };
  const ProvinceOutcome* outcomeAt(int province) const;

 private:
  static constexpr int kOffset = 256;

  ProvinceOutcome* find(int province);
  void countEnemies(const Plan& plan, const PlanOrder& order, int province, bool at_end,
                    int& free_enemies, int& engaged_enemies) const;
  bool supportMayBeCut(const PlanOrder& supporter, int supported) const;
  // Enemy strength at a province: the chance that j units stand against the order.
  double enemyStrength(int j, int free_enemies, int engaged_enemies, int stance) const;
  void computeProbabilities(const Plan& plan, ProvinceOutcome& outcome);
  int scoreOutcome(const Plan& plan, ProvinceOutcome& outcome) const;
  bool foreignUnitHasRetreat(const Plan& plan, const PlanOrder& order, int attacked) const;

  const GameBoard& game_;
  const ProvinceValuation& valuation_;
  const UnitOptionTable* table_ = nullptr;

  int reward_hold_unowned_sc_;
  int reward_disband_;
  double punish_hold_without_enemy_;
  double broken_support_;
  double attack_;
  double hold_;
  double support_;

  int total_ = 0;
  std::array<ProvinceOutcome, 2 * kOffset> outcomes_{};
  std::array<bool, 2 * kOffset> present_{};
  std::vector<int> provinces_;  // the outcomes of the last evaluation, ascending
};

}  // namespace quorvel
