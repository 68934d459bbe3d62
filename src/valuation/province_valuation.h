#pragma once

#include <array>
#include <set>
#include <string>
#include <vector>

#include "base/shape_curve.h"
#include "game/game_board.h"
#include "game/location.h"
#include "settings/ini_store.h"
#include "valuation/value_distribution.h"
#include "valuation/value_table.h"

namespace quorvel {

// The value of provinces and unit positions for the bot's power, and the player's
// settings store. Distances are computed once per map; each position recomputes the
// per-turn values in a fixed number of passes over flat arrays indexed by province and
// by a dense Location number.
class ProvinceValuation : public IniStore {
 public:
  static constexpr int kUnreachable = 1000;
  static constexpr int kNoPowerSlot = 256;

  // The valuation of a board: each player owns one on its own board.
  explicit ProvinceValuation(const GameBoard& board);

  // Answers the settings problems found, as error log lines ("Unknown key ...").
  std::vector<std::string> setupMap();
  void setupPower() {}
  void evaluateTurn();

  // Read access, by province index or Location.
  int stepsFrom(const Location& location, int province) const;
  int enemyDistance(int province) const {
    return per_province(enemy_distance_, province, kUnreachable);
  }
  int ownDistance(int province) const {
    return per_province(own_distance_, province, kUnreachable);
  }
  int provinceValue(int province) const { return per_province(value_, province, 0); }
  const std::vector<Location>& nearestEnemyUnits(int province) const;
  // The powers of those units, in the same order.
  const std::vector<int>& nearestEnemyPowers(int province) const;
  int enemyThreatCount(int province) const;
  int dominantEnemy(int province) const { return per_province(dominant_, province, kNoPowerSlot); }
  int occupationValue(const Location& location) const;
  int bestSafeNeighbourValue(const Location& location) const;
  const std::vector<int>& neighbours(int province) const;

  // Questions answered from the game board.
  bool isSupplyCentre(int province) const;
  bool isOwnSupplyCentre(int province) const;
  bool isLandProvince(int province) const;
  const std::set<Location>& adjacentLocations(const Location& location) const;
  int ownPowerIndex() const { return board_.own_power.subtoken(); }
  // The power of the unit standing in the Location's province, or -1.
  int unitPowerAt(const Location& location) const;

  // Scales the fear of a power from the next turn on (a partner that keeps its word is
  // feared less); 1 restores it.
  void setFearScale(int power, double scale);
  // A friendly power's units are no threat from the next turn on: they count neither in
  // the distances to the enemy nor among the nearest enemy units.
  void setFriendly(int power, bool friendly);

  // What the values are made of, for inspection.
  double fearFactor(int power) const;
  int supplyCentreCount(int power) const;
  int ownedNeighbours(int province) const { return per_province(owned_neighbours_, province, 0); }
  ProvinceClass provinceClass(int province) const;
  const ValueTable& ownValues() const { return own_values_; }
  const ValueTable& extraOccValues() const { return extra_occ_values_; }
  const ValueTable& distOccValues() const { return dist_occ_values_; }
  const ValueDistribution& valueDistribution() const { return distribution_; }
  double armyFactor() const { return army_factor_; }
  double fleetFactor() const { return fleet_factor_; }
  const std::vector<Location>& locations() const { return locations_; }
  // Dense number of a Location, -1 when the map has no such Location.
  int locationIndex(const Location& location) const;

 private:
  struct Adjacent {
    int province;
    int location;  // -1 when the map gives that place no moves of its own
  };

  static int per_province(const std::vector<int>& values, int province, int fallback) {
    return province >= 0 && province < static_cast<int>(values.size())
               ? values[static_cast<std::size_t>(province)]
               : fallback;
  }

  std::vector<std::string> readSettings();
  void buildDistances();
  void computeDistances();
  void computeMinorityFactors();
  int tableValue(const ValueTable& table, int province) const;
  void computeOccupation();
  void applyConvoys();

  const GameBoard& board_;
  int province_count_ = 0;
  int supply_centre_count_ = 0;

  // Per map.
  std::vector<Location> locations_;              // in Location order
  std::vector<int> first_location_;              // per province: its first Location number
  std::vector<std::vector<Adjacent>> adjacent_;  // per Location
  std::vector<int> distance_;                    // Location number × province count + province
  std::vector<std::vector<int>> neighbours_;
  std::vector<double> distribution_by_steps_;

  // Settings, read at each map.
  ShapeCurve fear_curve_;
  ShapeCurve minority_curve_;
  double tolerance_ = 1.0;
  ValueDistribution distribution_;
  double convoy_weight_ = 0.05;
  ValueTable own_values_;
  ValueTable extra_occ_values_;
  ValueTable dist_occ_values_;

  // Per turn, per province.
  std::vector<int> own_distance_;
  std::vector<int> enemy_distance_;
  std::vector<std::vector<Location>> nearest_enemy_units_;
  std::vector<std::vector<int>> nearest_enemy_powers_;
  std::vector<int> dominant_;
  std::vector<int> dominant_count_;
  std::vector<int> owned_neighbours_;
  std::vector<int> value_;
  std::vector<int> convoy_value_;

  // Per turn, per power slot (256 is no power).
  std::array<int, kNoPowerSlot + 1> centre_counts_{};
  std::array<double, kNoPowerSlot + 1> fear_factors_{};
  std::array<double, kNoPowerSlot + 1> fear_scales_{};
  std::array<bool, kNoPowerSlot + 1> friendly_{};
  double army_factor_ = 1.0;
  double fleet_factor_ = 1.0;

  // Per turn, per Location.
  std::vector<int> raw_sum_;
  std::vector<int> adjusted_sum_;
  std::vector<int> before_extra_;
  std::vector<int> occupation_;
  std::vector<int> best_safe_neighbour_;
};

}  // namespace quorvel
