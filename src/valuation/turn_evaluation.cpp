// The valuation of one position: distances to both sides, fear factors, province values,
// occupation values of every Location.
#include <algorithm>
#include <climits>
#include <limits>

#include "base/truncate.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

namespace {

int power_slot(Token owner) {
  return owner.category() == CATEGORY_POWER ? owner.subtoken() : ProvinceValuation::kNoPowerSlot;
}

}  // namespace

void ProvinceValuation::evaluateTurn() {
  if (province_count_ == 0) return;

  // 1. Supply centres per owner.
  centre_counts_.fill(0);
  for (int p = 0; p < province_count_; ++p) {
    const MapProvince& province = board_.provinces[static_cast<std::size_t>(p)];
    if (province.is_supply_centre)
      ++centre_counts_[static_cast<std::size_t>(power_slot(province.owner))];
  }

  computeDistances();

  // 3. Fear of each power grows with its centres.
  for (int power = 0; power < board_.power_count && power < kNoPowerSlot; ++power) {
    fear_factors_[static_cast<std::size_t>(power)] =
        fear_curve_.at(centre_counts_[static_cast<std::size_t>(power)]) *
        fear_scales_[static_cast<std::size_t>(power)];
  }

  // 4. Owned neighbours.
  for (int p = 0; p < province_count_; ++p) {
    int owned = 0;
    for (int q : neighbours_[static_cast<std::size_t>(p)])
      owned += provinceClass(q) == kOwnedClass;
    owned_neighbours_[static_cast<std::size_t>(p)] = owned;
  }

  computeMinorityFactors();

  // 6. Values that the occupation sums spread.
  for (int p = 0; p < province_count_; ++p) {
    value_[static_cast<std::size_t>(p)] = tableValue(dist_occ_values_, p);
  }

  computeOccupation();
  applyConvoys();

  // 9. The values the rest of the system reads.
  for (int p = 0; p < province_count_; ++p) {
    value_[static_cast<std::size_t>(p)] = tableValue(own_values_, p);
  }

  // 10. The extra term of each Location's province.
  std::vector<int> extra(static_cast<std::size_t>(province_count_));
  for (int p = 0; p < province_count_; ++p) {
    extra[static_cast<std::size_t>(p)] = tableValue(extra_occ_values_, p);
  }
  for (std::size_t l = 0; l < locations_.size(); ++l) {
    before_extra_[l] = occupation_[l];
    occupation_[l] += extra[static_cast<std::size_t>(locations_[l].province)];
  }

  // 11. The best place to step back to, out of the enemy's reach.
  for (std::size_t l = 0; l < locations_.size(); ++l) {
    int best = INT_MIN;
    for (const Adjacent& next : adjacent_[l]) {
      if (enemy_distance_[static_cast<std::size_t>(next.province)] <= 1) continue;
      best = std::max(best,
                      next.location < 0 ? 0 : occupation_[static_cast<std::size_t>(next.location)]);
    }
    best_safe_neighbour_[l] = best == INT_MIN ? 0 : best;
  }
}

// 2. Distances from the bot's units and from all foreign units, with the nearest foreign
// units and the power that has most of them.
void ProvinceValuation::computeDistances() {
  const int own = ownPowerIndex();
  std::vector<int> tally(static_cast<std::size_t>(kNoPowerSlot) + 1, 0);
  std::vector<int> tallied;
  for (int p = 0; p < province_count_; ++p) {
    const std::size_t pi = static_cast<std::size_t>(p);
    int own_distance = kUnreachable;
    int enemy_distance = kUnreachable;
    std::vector<Location>& nearest = nearest_enemy_units_[pi];
    std::vector<int>& powers = nearest_enemy_powers_[pi];
    // Cleared each turn: a province no foreign unit reaches keeps nothing of the last.
    nearest.clear();
    powers.clear();
    int dominant = kNoPowerSlot;
    int dominant_count = 0;
    for (int power : tallied)
      tally[static_cast<std::size_t>(power)] = 0;
    tallied.clear();

    for (const auto& [province, unit] : board_.units) {
      const int s = stepsFrom(unit.location, p);
      const int s1 = s == 0 ? 1 : s;
      if (unit.power == own) {
        own_distance = std::min(own_distance, s);
        continue;
      }
      if (unit.power >= 0 && unit.power < kNoPowerSlot &&
          friendly_[static_cast<std::size_t>(unit.power)])
        continue;
      if (s1 < enemy_distance) {
        nearest.clear();
        powers.clear();
        dominant_count = 0;
        for (int power : tallied)
          tally[static_cast<std::size_t>(power)] = 0;
        tallied.clear();
      }
      enemy_distance = std::min(enemy_distance, s);
      if (s1 != enemy_distance && s1 != 1) continue;
      const auto at = std::lower_bound(nearest.begin(), nearest.end(), unit.location);
      powers.insert(powers.begin() + (at - nearest.begin()), unit.power);
      nearest.insert(at, unit.location);
      const std::size_t power = static_cast<std::size_t>(unit.power);
      if (tally[power] == 0) tallied.push_back(unit.power);
      tally[power] += s == 0 ? 2 : 1;
      if (tally[power] > dominant_count ||
          (tally[power] == dominant_count &&
           centre_counts_[power] > centre_counts_[static_cast<std::size_t>(dominant)])) {
        dominant = unit.power;
        dominant_count = tally[power];
      }
    }
    if (enemy_distance == 0) --dominant_count;
    own_distance_[pi] = own_distance;
    enemy_distance_[pi] = enemy_distance;
    dominant_[pi] = dominant;
    dominant_count_[pi] = dominant_count;
  }
}

// 5. In winter, the unit type the bot has few of is worth more.
void ProvinceValuation::computeMinorityFactors() {
  army_factor_ = 1.0;
  fleet_factor_ = 1.0;
  if (board_.season != tok::WIN) return;
  int units = 0;
  int armies = 0;
  auto count = [&](const std::set<int>& own, const std::map<int, UnitRecord>& table) {
    for (int p : own) {
      const auto unit = table.find(p);
      if (unit == table.end()) continue;
      ++units;
      armies += unit->second.unit_type == tok::AMY;
    }
  };
  count(board_.own_units, board_.units);
  count(board_.own_dislodged_units, board_.dislodged_units);
  const int fleets = units - armies;
  // Without units the share is infinite, which the curve clamps to its end.
  const double infinite = std::numeric_limits<double>::infinity();
  fleet_factor_ = minority_curve_.at(units == 0 ? infinite : (fleets + tolerance_) / units);
  army_factor_ = minority_curve_.at(units == 0 ? infinite : (armies + tolerance_) / units);
}

int ProvinceValuation::tableValue(const ValueTable& table, int province) const {
  const std::size_t pi = static_cast<std::size_t>(province);
  const MapProvince& record = board_.provinces[pi];
  const int a = std::max(own_distance_[pi], 1);
  const int b = std::max(enemy_distance_[pi], 1);
  int value = 0;
  if (record.is_supply_centre) {
    int index = board_.own_home_centres.count(province) != 0 ? kHomeCentreKind : kSupplyCentreKind;
    double factor = 1.0;
    if (record.owner.category() != CATEGORY_POWER) {
      index += kNeutralOwner;
    } else if (record.owner == board_.own_power) {
      index += kMyOwner;
    } else {
      index += kEnemyOwner;
      factor = fearFactor(record.owner.subtoken());
    }
    const ProvinceClass situation = provinceClass(province);
    if (situation != kOwnedClass) factor = fearFactor(dominant_[pi]);
    index += situation;
    value = truncate_to_int(table.weights[static_cast<std::size_t>(index)] * factor);
  }
  if (a == b - 1) value += table.inner_border * owned_neighbours_[pi];
  if (a >= b) value += table.outer_border * owned_neighbours_[pi];
  return value;
}

// 7. What a unit on each Location can reach, weighted by distance.
void ProvinceValuation::computeOccupation() {
  const std::size_t provinces = static_cast<std::size_t>(province_count_);
  for (std::size_t l = 0; l < locations_.size(); ++l) {
    const int* row = distance_.data() + l * provinces;
    long long sum = 0;
    for (std::size_t q = 0; q < provinces; ++q) {
      const int steps = row[q];
      if (steps >= kUnreachable) continue;
      sum += truncate_to_int(distribution_by_steps_[static_cast<std::size_t>(steps)] * value_[q]);
    }
    const int raw = static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
    raw_sum_[l] = raw;
    const double factor = locations_[l].coast == tok::AMY ? army_factor_ : fleet_factor_;
    adjusted_sum_[l] = truncate_to_int(raw * factor);
    occupation_[l] = adjusted_sum_[l];
  }
}

// 8. An army next to one of the bot's fleets at sea can be carried on: land next to the
// fleet is worth at least a blend with the best land the fleet touches.
void ProvinceValuation::applyConvoys() {
  std::vector<int> fleets_at_sea;
  for (int p : board_.own_units) {
    if (p >= 0 && p < province_count_ && !isLandProvince(p)) fleets_at_sea.push_back(p);
  }
  for (int p : fleets_at_sea) {
    int best = 0;
    for (int q : neighbours_[static_cast<std::size_t>(p)]) {
      if (isLandProvince(q)) best = std::max(best, occupationValue(Location{q, tok::AMY}));
    }
    convoy_value_[static_cast<std::size_t>(p)] = best;
  }
  for (int p : fleets_at_sea) {
    const int convoy = convoy_value_[static_cast<std::size_t>(p)];
    for (int q : neighbours_[static_cast<std::size_t>(p)]) {
      if (!isLandProvince(q)) continue;
      const int l = locationIndex(Location{q, tok::AMY});
      if (l < 0) continue;
      int& occupation = occupation_[static_cast<std::size_t>(l)];
      if (occupation <= convoy) {
        occupation = truncate_to_int(convoy * convoy_weight_ + occupation * (1.0 - convoy_weight_));
      }
    }
  }
}

}  // namespace quorvel
