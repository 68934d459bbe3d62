#pragma once

#include <string>
#include <vector>

#include "settings/ini_store.h"

namespace quorvel::tuning {

// One setting the tuner moves, with its bounds. Table keys are integers.
struct TunedSetting {
  std::string section;
  std::string key;
  double low;
  double high;
  bool integer;
  double default_value = 0;  // what a store without the key stands for
};

// The settings the tuner moves: in each value table the owner and kind classes
// (neutral, own and enemy centres, own and enemy-held home centres), the situations
// (lost, near and far border) and the two border weights; the fear factor, the plan
// evaluation, the value distribution, the minority adjustment and the search effort;
// with press, then the negotiation's weights.
const std::vector<TunedSetting>& tuned_settings(bool press = false);

// The values of the tuned settings that a store stands for, in the order of
// tuned_settings(). The value tables are read as the bot reads them, so a store that
// names its slots with other keys ("sc=60") gives the same tables.
std::vector<double> values_of(const IniStore& store,
                              const std::vector<TunedSetting>& settings = tuned_settings());
// A store with the values: every section of the base but the value tables, which hold
// exactly the tuned keys, and the tuned keys of the other sections set.
IniStore with_values(const IniStore& base, const std::vector<double>& values,
                     const std::vector<TunedSetting>& settings = tuned_settings());

// Between the values and the unit cube the tuner works in.
std::vector<double> to_unit(const std::vector<double>& values,
                            const std::vector<TunedSetting>& settings = tuned_settings());
std::vector<double> from_unit(const std::vector<double>& unit,
                              const std::vector<TunedSetting>& settings = tuned_settings());

}  // namespace quorvel::tuning
