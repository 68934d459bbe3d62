#include "tuning/tuned_settings.h"

#include <algorithm>
#include <cmath>

#include "settings/bot_settings.h"
#include "valuation/value_table.h"

namespace quorvel::tuning {

namespace {

const char* const kTables[] = {BotSettings::kDistOccValues, BotSettings::kExtraOccValues,
                               BotSettings::kOwnValues};

// The table keys, and the slot each is read back from (kind + owner + situation; a
// situation key as the difference to the owned slot of own centres).
constexpr int slot(int kind, int owner, int situation = kOwnedClass) {
  return kind + owner + situation;
}

struct TableKey {
  const char* key;
  int slot;
  bool situation;
};
const TableKey kTableKeys[] = {
    {"neutralsc", slot(kSupplyCentreKind, kNeutralOwner), false},
    {"mysc", slot(kSupplyCentreKind, kMyOwner), false},
    {"enemysc", slot(kSupplyCentreKind, kEnemyOwner), false},
    {"myhc", slot(kHomeCentreKind, kMyOwner), false},
    {"enemyhc", slot(kHomeCentreKind, kEnemyOwner), false},
    {"sclost", slot(kSupplyCentreKind, kMyOwner, kLostClass), true},
    {"scnearborder", slot(kSupplyCentreKind, kMyOwner, kNearBorderClass), true},
    {"scfarborder", slot(kSupplyCentreKind, kMyOwner, kFarBorderClass), true},
};

template <typename T>
TunedSetting real(const Setting<T>& s, double low, double high) {
  return {
      s.section, s.key, low, high, std::is_same_v<T, int>, static_cast<double>(s.default_value)};
}

std::vector<TunedSetting> make_settings(bool press) {
  std::vector<TunedSetting> list;
  for (const char* table : kTables) {
    for (const TableKey& k : kTableKeys) {
      if (k.situation) {
        list.push_back({table, k.key, -150, 150, true});
      } else {
        list.push_back({table, k.key, -50, 250, true});
      }
    }
    list.push_back({table, "innerborder", -30, 30, true});
    list.push_back({table, "outerborder", -30, 30, true});
  }
  using namespace BotSettings;
  list.push_back(real(kFearStartValue, 0.5, 2.0));
  list.push_back(real(kFearEndValue, 0.5, 3.0));
  list.push_back(real(kFearStartSlopeFactor, 0.0, 2.0));
  list.push_back(real(kFearEndSlopeFactor, 0.0, 2.0));
  list.push_back(real(kRewardHoldUnownedSC, 0, 300));
  list.push_back(real(kRewardDisband, 0, 300));
  list.push_back(real(kPunishHoldWithoutEnemy, 0.0, 0.9));
  list.push_back(real(kBrokenSupport, 0.3, 1.0));
  list.push_back(real(kAttack, 0.3, 1.0));
  list.push_back(real(kHold, 0.3, 1.0));
  list.push_back(real(kSupport, 0.3, 1.0));
  list.push_back(real(kConvoy, 0.0, 0.5));
  list.push_back(real(kDistributionA, 0.05, 1.0));
  list.push_back(real(kDistributionB, 1.0, 6.0));
  list.push_back(real(kDistributionC, 0.02, 0.5));
  list.push_back(real(kDistributionD, 2.0, 20.0));
  list.push_back(real(kDistributionM, 0.0, 0.01));
  list.push_back(real(kMinorityTolerance, 0.0, 2.0));
  list.push_back(real(kMinorityQuota, 0.1, 0.6));
  list.push_back(real(kMinorityStartValue, 1.0, 8.0));
  list.push_back(real(kMinorityEndValue, 0.5, 2.0));
  list.push_back(real(kMinorityStartSlopeFactor, 0.0, 2.0));
  list.push_back(real(kMinorityEndSlopeFactor, 0.0, 2.0));
  // Search effort: with the shipped 8-to-2 changes per cycle, 200 cycles keep a crowded
  // phase near 1.6 ms, inside the 2 ms goal.
  list.push_back(real(kIterations, 5, 200));
  // The search over the others' likely orders: a budget of 50 ms at most, the most a
  // crowded phase may take.
  list.push_back(real(kSearchBudgetMilliseconds, 0, 50));
  list.push_back(real(kSearchOwnCandidates, 1, 20));
  list.push_back(real(kSearchOtherCandidates, 1, 8));
  list.push_back(real(kSearchSamples, 1, 64));
  list.push_back(real(kSearchIterations, 0, 200));
  list.push_back(real(kSearchPrior, 0.0, 1.0));
  list.push_back(real(kSearchLossWeight, 0.0, 3.0));
  list.push_back(real(kSearchAttackCandidates, 0, 20));
  list.push_back(real(kSearchPlanWeight, 0.0, 2.0));
  // The look past the phase: each set looked past costs a few hundred microseconds.
  list.push_back(real(kSearchLookAheadCandidates, 0, 8));
  list.push_back(real(kSearchLookAheadSamples, 1, 8));
  list.push_back(real(kSearchLookAheadDraws, 1, 4));
  list.push_back(real(kSearchLookAheadWeight, 0.0, 1000.0));
  list.push_back(real(kSearchBuildValue, 0.0, 3000.0));
  if (!press) return list;
  // The negotiation's weights; its switches, clocks and trust counts stay as set.
  list.push_back(real(kPressPartnerFear, 0.1, 1.2));
  list.push_back(real(kPressPeaceThreat, 0.2, 3.0));
  list.push_back(real(kPressPeaceGain, 0.2, 3.0));
  list.push_back(real(kPressPeaceReach, 0.0, 2.0));
  list.push_back(real(kPressPeaceAggression, 0.0, 2.0));
  list.push_back(real(kPressPeaceMinAggression, 0.0, 2.0));
  list.push_back(real(kPressPeaceKeep, 0.5, 4.0));
  list.push_back(real(kPressPeaceStrength, 0.0, 3.0));
  list.push_back(real(kPressLeaderShare, 0.15, 0.6));
  list.push_back(real(kPressDmzValue, 0, 100));
  list.push_back(real(kPressCooperativeKeep, 1.0, 10.0));
  list.push_back(real(kPressCooperativeFear, 0.1, 1.2));
  return list;
}

bool is_table(const std::string& section) {
  for (const char* table : kTables) {
    if (section == table) return true;
  }
  return false;
}

}  // namespace

const std::vector<TunedSetting>& tuned_settings(bool press) {
  static const std::vector<TunedSetting> plain = make_settings(false);
  static const std::vector<TunedSetting> with_press = make_settings(true);
  return press ? with_press : plain;
}

std::vector<double> values_of(const IniStore& store, const std::vector<TunedSetting>& settings) {
  std::vector<double> values;
  std::size_t i = 0;
  while (i < settings.size()) {
    const TunedSetting& s = settings[i];
    if (!is_table(s.section)) {
      values.push_back(s.integer ? store.getInt(s.section, s.key, static_cast<int>(s.default_value))
                                 : store.getDouble(s.section, s.key, s.default_value));
      ++i;
      continue;
    }
    ValueTable table;
    table.add_section(store, s.section);
    for (const TableKey& k : kTableKeys) {
      const int at = table.weights[static_cast<std::size_t>(k.slot)];
      values.push_back(k.situation ? at - table.weights[slot(kSupplyCentreKind, kMyOwner)] : at);
    }
    values.push_back(table.inner_border);
    values.push_back(table.outer_border);
    i += std::size(kTableKeys) + 2;
  }
  return values;
}

IniStore with_values(const IniStore& base, const std::vector<double>& values,
                     const std::vector<TunedSetting>& settings) {
  IniStore store;
  for (int s = 0; s < base.sectionCount(); ++s) {
    const std::string& section = base.sectionName(s);
    if (is_table(section)) continue;
    for (int k = 0; k < base.keyCount(section); ++k) {
      const std::string key = base.keyAt(section, k);
      store.setValue(section, key, base.getValue(section, key, ""), true);
    }
  }
  for (std::size_t i = 0; i < settings.size() && i < values.size(); ++i) {
    const TunedSetting& s = settings[i];
    if (s.integer) {
      store.setInt(s.section, s.key, static_cast<int>(std::lround(values[i])));
    } else {
      store.setDouble(s.section, s.key, values[i]);
    }
  }
  return store;
}

std::vector<double> to_unit(const std::vector<double>& values,
                            const std::vector<TunedSetting>& settings) {
  std::vector<double> unit;
  for (std::size_t i = 0; i < settings.size() && i < values.size(); ++i) {
    const TunedSetting& s = settings[i];
    unit.push_back(std::clamp((values[i] - s.low) / (s.high - s.low), 0.0, 1.0));
  }
  return unit;
}

std::vector<double> from_unit(const std::vector<double>& unit,
                              const std::vector<TunedSetting>& settings) {
  std::vector<double> values;
  for (std::size_t i = 0; i < settings.size() && i < unit.size(); ++i) {
    const TunedSetting& s = settings[i];
    double value = s.low + std::clamp(unit[i], 0.0, 1.0) * (s.high - s.low);
    if (s.integer) value = std::round(value);
    values.push_back(value);
  }
  return values;
}

}  // namespace quorvel::tuning
