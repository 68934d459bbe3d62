#include "planning/plan_evaluator.h"

#include <algorithm>
#include <cstdlib>

#include "base/binomial.h"
#include "base/truncate.h"
#include "game/game_board.h"
#include "planning/plan.h"
#include "protocol/tokens.h"
#include "settings/bot_settings.h"
#include "valuation/province_valuation.h"

namespace quorvel {

namespace {

constexpr int kNoValue = -2000;

}  // namespace

PlanEvaluator::PlanEvaluator(const GameBoard& game, const ProvinceValuation& valuation)
    : game_(game),
      valuation_(valuation),
      reward_hold_unowned_sc_(read(valuation, BotSettings::kRewardHoldUnownedSC)),
      reward_disband_(read(valuation, BotSettings::kRewardDisband)),
      punish_hold_without_enemy_(read(valuation, BotSettings::kPunishHoldWithoutEnemy)),
      broken_support_(read(valuation, BotSettings::kBrokenSupport)),
      attack_(read(valuation, BotSettings::kAttack)),
      hold_(read(valuation, BotSettings::kHold)),
      support_(read(valuation, BotSettings::kSupport)) {}

PlanEvaluator::ProvinceOutcome* PlanEvaluator::find(int province) {
  if (province < -kOffset || province >= kOffset) return nullptr;
  const std::size_t at = static_cast<std::size_t>(province + kOffset);
  return present_[at] ? &outcomes_[at] : nullptr;
}

const PlanEvaluator::ProvinceOutcome* PlanEvaluator::outcomeAt(int province) const {
  return const_cast<PlanEvaluator*>(this)->find(province);
}

int PlanEvaluator::scoreAt(int province) const {
  if (province < 0) return 0;
  const ProvinceOutcome* outcome = outcomeAt(province);
  return outcome == nullptr ? 0 : outcome->score;
}

void PlanEvaluator::countEnemies(const Plan& plan, const PlanOrder& order, int province,
                                 bool at_end, int& free_enemies, int& engaged_enemies) const {
  if (province < 0 || valuation_.enemyDistance(province) >= 2) return;
  const int dominant = valuation_.dominantEnemy(province);
  const std::vector<Location>& units = valuation_.nearestEnemyUnits(province);
  const std::vector<int>& powers = valuation_.nearestEnemyPowers(province);
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (powers[i] != dominant) continue;
    // An enemy whose province the plan moves into is busy defending it.
    const int where = units[i].province;
    const bool engaged = plan.isClaimed(where) && (at_end || where != order.targetProvince());
    if (engaged) {
      ++engaged_enemies;
    } else {
      ++free_enemies;
    }
  }
}

bool PlanEvaluator::supportMayBeCut(const PlanOrder& supporter, int supported) const {
  const int s = supporter.province();
  if (s < 0 || valuation_.enemyDistance(s) > 1) return false;
  const std::vector<int>& powers = valuation_.nearestEnemyPowers(s);
  if (powers.empty()) return false;
  const int dominant = valuation_.dominantEnemy(supported);
  for (int power : powers) {
    if (power != dominant) return true;
  }
  return valuation_.stepsFrom(supporter.unit->location, supported) != 1;
}

double PlanEvaluator::enemyStrength(int j, int free_enemies, int engaged_enemies,
                                    int stance) const {
  if (free_enemies + engaged_enemies == 0) return j == 0 ? 1.0 : 0.0;
  const double s = support_;
  // j - 1 supports out of the free enemies, the rest not supporting.
  const auto supports = [s](int free, int j) {
    const double ways = binomial(free, j - 1);
    if (ways == 0.0) return 0.0;
    return ways * power(s, j - 1) * power(1.0 - s, free - j + 1);
  };
  if (stance == -1) return j == 0 ? 1.0 - hold_ : hold_ * supports(free_enemies, j);
  if (j == 0) return 1.0 - attack_;
  const double g =
      static_cast<double>(engaged_enemies) / static_cast<double>(engaged_enemies + free_enemies);
  return attack_ * (g * supports(free_enemies, j) + (1.0 - g) * supports(free_enemies - 1, j));
}

void PlanEvaluator::computeProbabilities(const Plan& plan, ProvinceOutcome& outcome) {
  const PlanOrder& order = *outcome.order;
  const int free_end = outcome.freeEnemiesAtEnd;
  const int engaged_end = outcome.engagedEnemiesAtEnd;
  const int safe = outcome.safeSupports;
  const int endangered = outcome.endangeredSupports;
  const double b = broken_support_;
  // Enemy strength is zero beyond every free enemy plus the one that moves.
  const int strongest = free_end + 1;

  double success = 0.0;
  double standoff = 0.0;
  for (int k = 0; k <= endangered; ++k) {
    const double weight = binomial(endangered, k) * power(1.0 - b, k) * power(b, endangered - k);
    if (weight == 0.0) continue;
    const int strength = safe + k + 1;
    const int last = std::min(outcome.stance == 1 ? strength : strength - 1, strongest);
    double inner = 0.0;
    for (int j = 0; j <= last; ++j)
      inner += enemyStrength(j, free_end, engaged_end, outcome.stance);
    success += weight * inner;
    if (outcome.stance == 0 && strength <= strongest) {
      standoff += weight * enemyStrength(strength, free_end, engaged_end, 0);
    }
  }
  const double stay_safe =
      enemyStrength(0, outcome.freeEnemiesAtOwn, outcome.engagedEnemiesAtOwn, 0) +
      enemyStrength(1, outcome.freeEnemiesAtOwn, outcome.engagedEnemiesAtOwn, 0);

  if (order.staysPut()) {
    outcome.pStay = success;
    outcome.pMove = 0.0;
    outcome.pStandoff = 0.0;
    return;
  }
  outcome.pMove *= success;
  outcome.pStandoff *= standoff;
  const int own = order.province();
  outcome.pStay = own >= 0 ? stay_safe : 0.0;
  const PlanOrder* follower = plan.claimant(own);
  if (follower != nullptr && follower != &order) {
    // The unit moving in behind can enter only if this one leaves.
    ProvinceOutcome* behind = find(own);
    if (behind != nullptr && behind->supportCount == 0) {
      behind->pMove *= success;
      behind->pStandoff *= success;
    } else {
      outcome.pStay = 0.0;
    }
  }
}

bool PlanEvaluator::foreignUnitHasRetreat(const Plan& plan, const PlanOrder& order,
                                          int attacked) const {
  const auto unit = game_.units.find(attacked);
  if (unit == game_.units.end()) return true;
  for (const Location& place : valuation_.adjacentLocations(unit->second.location)) {
    const int p = place.province;
    if (plan.isClaimed(p)) continue;
    if (p == order.province() && !order.isConvoyedArmy()) continue;
    if (valuation_.enemyDistance(p) > 0) return true;
  }
  return false;
}

int PlanEvaluator::scoreOutcome(const Plan& plan, ProvinceOutcome& outcome) const {
  const PlanOrder& order = *outcome.order;
  const double move = outcome.pMove;
  const double stay = outcome.pStay;
  const double standoff = outcome.pStandoff;
  int score = truncate_to_int(
      outcome.endOccupation * move + outcome.ownOccupation * (1.0 - move) * stay +
      outcome.retreatValue * (1.0 - move) * (1.0 - stay) + outcome.endValue * standoff * standoff);
  const int end = order.endProvince();
  const int own = order.province();
  if (end < 0 || own < 0) return score;

  if (valuation_.enemyDistance(end) == 0 && valuation_.enemyThreatCount(own) <= 1 &&
      !plan.isClaimed(own) && !order.isConvoyedArmy()) {
    score = truncate_to_int(score + valuation_.provinceValue(own) * move);
  }
  if (order.staysPut() && valuation_.enemyDistance(own) > 1 &&
      (!valuation_.isSupplyCentre(own) || valuation_.isOwnSupplyCentre(own))) {
    score = truncate_to_int(score - score * punish_hold_without_enemy_);
  }
  if (order.staysPut() && game_.season == tok::FAL && valuation_.isSupplyCentre(own) &&
      !valuation_.isOwnSupplyCentre(own)) {
    score = truncate_to_int(score + reward_hold_unowned_sc_ * stay);
  }
  if (valuation_.enemyDistance(end) == 0 && outcome.supportCount >= 1 &&
      !foreignUnitHasRetreat(plan, order, end)) {
    score = truncate_to_int(score + reward_disband_ * move);
  }
  return score;
}

int PlanEvaluator::evaluate(const Plan& plan) {
  total_ = 0;
  for (int province : provinces_)
    present_[static_cast<std::size_t>(province + kOffset)] = false;
  provinces_.clear();
  const int own_power = valuation_.ownPowerIndex();

  // Outcomes, with the enemies at each end province and each unit's own province.
  for (const PlanOrder& order : plan.orders()) {
    const int end = order.endProvince();
    if (end < -kOffset || end >= kOffset) continue;
    const std::size_t at = static_cast<std::size_t>(end + kOffset);
    if (!present_[at]) provinces_.push_back(end);
    present_[at] = true;
    ProvinceOutcome& outcome = outcomes_[at];
    outcome = ProvinceOutcome{};
    outcome.order = &order;
    outcome.stance = order.staysPut() ? 1 : 0;
    if (end >= 0 && valuation_.enemyDistance(end) == 0) outcome.stance = -1;
    // A build cannot bounce: scored as a contested move, one next to a foreign unit came
    // out below a waive, and the bot gave up units it was owed.
    const bool build = game_.season == tok::WIN && order.province() < 0;
    if (!build)
      countEnemies(plan, order, end, true, outcome.freeEnemiesAtEnd, outcome.engagedEnemiesAtEnd);
    countEnemies(plan, order, order.province(), false, outcome.freeEnemiesAtOwn,
                 outcome.engagedEnemiesAtOwn);
  }
  std::sort(provinces_.begin(), provinces_.end());
  for (const PlanOrder& order : plan.orders()) {
    if (!order.supporting) continue;
    ProvinceOutcome* supported = find(order.targetProvince());
    if (supported == nullptr) continue;
    ++supported->supportCount;
    if (supportMayBeCut(order, order.targetProvince())) {
      ++supported->endangeredSupports;
    } else {
      ++supported->safeSupports;
    }
  }

  // Values of the bot's outcomes.
  for (int province : provinces_) {
    ProvinceOutcome& outcome = outcomes_[static_cast<std::size_t>(province + kOffset)];
    const PlanOrder& order = *outcome.order;
    if (order.unit->power != own_power) continue;
    if (order.endProvince() < 0) {
      outcome.endValue = outcome.endOccupation = kNoValue;
    } else {
      outcome.endValue = valuation_.provinceValue(order.endProvince());
      outcome.endOccupation = valuation_.occupationValue(order.endLocation());
    }
    if (order.province() < 0) {
      outcome.ownOccupation = outcome.retreatValue = kNoValue;
    } else {
      outcome.ownOccupation =
          std::min(valuation_.occupationValue(order.unit->location), outcome.endOccupation);
      outcome.retreatValue =
          std::min(valuation_.bestSafeNeighbourValue(order.unit->location), outcome.ownOccupation);
    }
  }

  for (int province : provinces_) {
    computeProbabilities(plan, outcomes_[static_cast<std::size_t>(province + kOffset)]);
  }

  const int owed = game_.adjustment_count;
  if (owed > 0) {
    // Removals beyond the count are refused by the server (NMR): as wrong as too few.
    const int removals = plan.removalCount(own_power);
    total_ -= 7000 * std::abs(owed - removals);
  }

  for (int province : provinces_) {
    ProvinceOutcome& outcome = outcomes_[static_cast<std::size_t>(province + kOffset)];
    if (outcome.order->unit->power != own_power) continue;
    outcome.score = scoreOutcome(plan, outcome);
    total_ += outcome.score;
  }
  return total_;
}

}  // namespace quorvel
