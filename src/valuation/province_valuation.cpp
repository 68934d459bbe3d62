// The valuation's per-map data (Locations, distances, neighbours, settings) and its read
// access.
#include "valuation/province_valuation.h"

#include <algorithm>
#include <deque>

#include "protocol/tokens.h"
#include "settings/bot_settings.h"

namespace quorvel {

ProvinceValuation::ProvinceValuation(const GameBoard& board) : board_(board) {
  fear_factors_.fill(1.0);
  fear_scales_.fill(1.0);
}

std::vector<std::string> ProvinceValuation::setupMap() {
  province_count_ = std::max(board_.province_count, 0);
  supply_centre_count_ = 0;
  for (int p = 0; p < province_count_; ++p) {
    supply_centre_count_ += board_.provinces[static_cast<std::size_t>(p)].is_supply_centre;
  }

  // Every map starts afresh: a second definition must not add to the first one's data.
  locations_.clear();
  first_location_.assign(static_cast<std::size_t>(province_count_) + 1, 0);
  for (int p = 0; p < province_count_; ++p) {
    first_location_[static_cast<std::size_t>(p)] = static_cast<int>(locations_.size());
    for (const auto& [coast, destinations] :
         board_.provinces[static_cast<std::size_t>(p)].adjacency) {
      locations_.push_back(Location{p, coast});
    }
  }
  first_location_[static_cast<std::size_t>(province_count_)] = static_cast<int>(locations_.size());

  std::vector<std::string> problems = readSettings();
  buildDistances();

  const std::size_t provinces = static_cast<std::size_t>(province_count_);
  own_distance_.assign(provinces, kUnreachable);
  enemy_distance_.assign(provinces, kUnreachable);
  nearest_enemy_units_.assign(provinces, {});
  nearest_enemy_powers_.assign(provinces, {});
  dominant_.assign(provinces, kNoPowerSlot);
  dominant_count_.assign(provinces, 0);
  owned_neighbours_.assign(provinces, 0);
  value_.assign(provinces, 0);
  convoy_value_.assign(provinces, 0);
  const std::size_t places = locations_.size();
  raw_sum_.assign(places, 0);
  adjusted_sum_.assign(places, 0);
  before_extra_.assign(places, 0);
  occupation_.assign(places, 0);
  best_safe_neighbour_.assign(places, 0);
  return problems;
}

std::vector<std::string> ProvinceValuation::readSettings() {
  const double fear_end_slope = read(*this, BotSettings::kFearEndSlopeFactor);
  const double fear_start_slope = read(*this, BotSettings::kFearStartSlopeFactor);
  const double fear_end = read(*this, BotSettings::kFearEndValue);
  const double fear_start = read(*this, BotSettings::kFearStartValue);
  tolerance_ = read(*this, BotSettings::kMinorityTolerance);
  convoy_weight_ = read(*this, BotSettings::kConvoy);
  const double minority_end_slope = read(*this, BotSettings::kMinorityEndSlopeFactor);
  const double minority_start_slope = read(*this, BotSettings::kMinorityStartSlopeFactor);
  const double minority_end = read(*this, BotSettings::kMinorityEndValue);
  const double minority_start = read(*this, BotSettings::kMinorityStartValue);
  const double quota = read(*this, BotSettings::kMinorityQuota);
  distribution_.m = read(*this, BotSettings::kDistributionM);
  distribution_.d = read(*this, BotSettings::kDistributionD);
  distribution_.c = read(*this, BotSettings::kDistributionC);
  distribution_.b = read(*this, BotSettings::kDistributionB);
  distribution_.a = read(*this, BotSettings::kDistributionA);

  fear_curve_ = ShapeCurve::build((supply_centre_count_ + 1) / 2, fear_start, fear_end,
                                  fear_start_slope, fear_end_slope);
  minority_curve_ = ShapeCurve::build(quota, minority_start, minority_end, minority_start_slope,
                                      minority_end_slope);
  // Cleared first: the tables only ever add up, and a second map must not count twice.
  dist_occ_values_ = ValueTable{};
  extra_occ_values_ = ValueTable{};
  own_values_ = ValueTable{};
  std::vector<std::string> problems;
  for (auto [table, section] : {std::pair{&dist_occ_values_, BotSettings::kDistOccValues},
                                std::pair{&extra_occ_values_, BotSettings::kExtraOccValues},
                                std::pair{&own_values_, BotSettings::kOwnValues}}) {
    for (const std::string& key : table->add_section(*this, section)) {
      problems.push_back("Unknown key '" + key + "' in ini-file, section [" + section + "].");
    }
  }
  return problems;
}

void ProvinceValuation::buildDistances() {
  const std::size_t places = locations_.size();
  const std::size_t provinces = static_cast<std::size_t>(province_count_);
  adjacent_.assign(places, {});
  neighbours_.assign(provinces, {});
  for (std::size_t l = 0; l < places; ++l) {
    const Location& from = locations_[l];
    const auto& lists = board_.provinces[static_cast<std::size_t>(from.province)].adjacency;
    const auto list = lists.find(from.coast);
    if (list == lists.end()) continue;
    for (const Location& to : list->second) {
      if (to.province < 0 || to.province >= province_count_) continue;
      adjacent_[l].push_back(Adjacent{to.province, locationIndex(to)});
      neighbours_[static_cast<std::size_t>(from.province)].push_back(to.province);
    }
  }
  for (std::vector<int>& list : neighbours_) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }

  // One breadth-first search per starting Location. A province is entered once per
  // start, through whichever of its Locations is reached first.
  distance_.assign(places * provinces, kUnreachable);
  std::vector<int> queue;
  for (std::size_t start = 0; start < places; ++start) {
    int* row = distance_.data() + start * provinces;
    row[static_cast<std::size_t>(locations_[start].province)] = 0;
    queue.assign(1, static_cast<int>(start));
    std::vector<int> steps_of(1, 0);
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const int steps = steps_of[head] + 1;
      for (const Adjacent& next : adjacent_[static_cast<std::size_t>(queue[head])]) {
        int& entry = row[static_cast<std::size_t>(next.province)];
        if (entry != kUnreachable) continue;
        entry = steps;
        if (next.location >= 0) {
          queue.push_back(next.location);
          steps_of.push_back(steps);
        }
      }
    }
  }

  int longest = 0;
  for (int steps : distance_) {
    if (steps != kUnreachable) longest = std::max(longest, steps);
  }
  distribution_by_steps_.resize(static_cast<std::size_t>(longest) + 1);
  for (int steps = 0; steps <= longest; ++steps) {
    distribution_by_steps_[static_cast<std::size_t>(steps)] = distribution_.at(steps);
  }
}

int ProvinceValuation::locationIndex(const Location& location) const {
  if (location.province < 0 || location.province >= province_count_) return -1;
  const int end = first_location_[static_cast<std::size_t>(location.province) + 1];
  for (int l = first_location_[static_cast<std::size_t>(location.province)]; l < end; ++l) {
    if (locations_[static_cast<std::size_t>(l)].coast == location.coast) return l;
  }
  return -1;
}

int ProvinceValuation::stepsFrom(const Location& location, int province) const {
  const int l = locationIndex(location);
  if (l < 0 || province < 0 || province >= province_count_) return kUnreachable;
  return distance_[static_cast<std::size_t>(l) * static_cast<std::size_t>(province_count_) +
                   static_cast<std::size_t>(province)];
}

const std::vector<Location>& ProvinceValuation::nearestEnemyUnits(int province) const {
  static const std::vector<Location> none;
  if (province < 0 || province >= static_cast<int>(nearest_enemy_units_.size())) return none;
  return nearest_enemy_units_[static_cast<std::size_t>(province)];
}

const std::vector<int>& ProvinceValuation::nearestEnemyPowers(int province) const {
  static const std::vector<int> none;
  if (province < 0 || province >= static_cast<int>(nearest_enemy_powers_.size())) return none;
  return nearest_enemy_powers_[static_cast<std::size_t>(province)];
}

int ProvinceValuation::enemyThreatCount(int province) const {
  if (enemyDistance(province) > 1) return 0;
  return static_cast<int>(nearestEnemyUnits(province).size());
}

int ProvinceValuation::occupationValue(const Location& location) const {
  const int l = locationIndex(location);
  return l < 0 ? 0 : occupation_[static_cast<std::size_t>(l)];
}

int ProvinceValuation::bestSafeNeighbourValue(const Location& location) const {
  const int l = locationIndex(location);
  return l < 0 ? 0 : best_safe_neighbour_[static_cast<std::size_t>(l)];
}

const std::vector<int>& ProvinceValuation::neighbours(int province) const {
  static const std::vector<int> none;
  if (province < 0 || province >= static_cast<int>(neighbours_.size())) return none;
  return neighbours_[static_cast<std::size_t>(province)];
}

bool ProvinceValuation::isSupplyCentre(int province) const {
  return province >= 0 && province < province_count_ &&
         board_.provinces[static_cast<std::size_t>(province)].is_supply_centre;
}

bool ProvinceValuation::isOwnSupplyCentre(int province) const {
  return isSupplyCentre(province) &&
         board_.provinces[static_cast<std::size_t>(province)].owner == board_.own_power;
}

bool ProvinceValuation::isLandProvince(int province) const {
  return province >= 0 && province < province_count_ &&
         board_.provinces[static_cast<std::size_t>(province)].has_army_moves;
}

const std::set<Location>& ProvinceValuation::adjacentLocations(const Location& location) const {
  static const std::set<Location> none;
  if (location.province < 0 || location.province >= province_count_) return none;
  const auto& lists = board_.provinces[static_cast<std::size_t>(location.province)].adjacency;
  const auto list = lists.find(location.coast);
  return list == lists.end() ? none : list->second;
}

int ProvinceValuation::unitPowerAt(const Location& location) const {
  const auto unit = board_.units.find(location.province);
  return unit == board_.units.end() ? -1 : unit->second.power;
}

void ProvinceValuation::setFriendly(int power, bool friendly) {
  if (power >= 0 && power < kNoPowerSlot) friendly_[static_cast<std::size_t>(power)] = friendly;
}

void ProvinceValuation::setFearScale(int power, double scale) {
  if (power >= 0 && power < kNoPowerSlot) fear_scales_[static_cast<std::size_t>(power)] = scale;
}

double ProvinceValuation::fearFactor(int power) const {
  if (power < 0 || power > kNoPowerSlot) return 1.0;
  return fear_factors_[static_cast<std::size_t>(power)];
}

int ProvinceValuation::supplyCentreCount(int power) const {
  if (power < 0 || power > kNoPowerSlot) return 0;
  return centre_counts_[static_cast<std::size_t>(power)];
}

ProvinceClass ProvinceValuation::provinceClass(int province) const {
  const int a = std::max(ownDistance(province), 1);
  const int b = std::max(enemyDistance(province), 1);
  if (a < b) return kOwnedClass;
  if (a > b) return kLostClass;
  return a <= 1 ? kNearBorderClass : kFarBorderClass;
}

}  // namespace quorvel
