#pragma once

#include "base/logs.h"
#include "base/random_source.h"
#include "base/shape_curve.h"
#include "settings/ini_store.h"

namespace quorvel {

// One setting: where it lives in "Quorvel.ini" and what a missing key means. A default is
// never written into the store.
template <typename T>
struct Setting {
  const char* section;
  const char* key;
  T default_value;
};

inline int read(const IniStore& store, const Setting<int>& s) {
  return store.getInt(s.section, s.key, s.default_value);
}
inline double read(const IniStore& store, const Setting<double>& s) {
  return store.getDouble(s.section, s.key, s.default_value);
}
inline bool read(const IniStore& store, const Setting<bool>& s) {
  return store.getFlag(s.section, s.key, s.default_value);
}

// Every setting the bot reads. The value tables ("OwnValues", "ExtraOccValues",
// "DistOccValues") have free keys instead; absent keys count 0.
namespace BotSettings {

inline constexpr Setting<int> kIterations{"Annealing", "iterations", 20};
inline constexpr Setting<double> kAnnealingEndSlopeFactor{"Annealing", "endSlopeFactor", 1.0};
inline constexpr Setting<double> kAnnealingStartSlopeFactor{"Annealing", "startSlopeFactor", 1.0};
inline constexpr Setting<double> kAnnealingEndValue{"Annealing", "endValue", 20.0};
inline constexpr Setting<double> kAnnealingStartValue{"Annealing", "startValue", 20.0};
inline constexpr Setting<bool> kContinuousEvaluation{"Annealing", "continuousEvaluation", true};

inline constexpr Setting<double> kMutationProbability{"Mutation", "Probability", 0.0};
inline constexpr Setting<double> kMutationRange{"Mutation", "Range", 0.05};

inline constexpr Setting<int> kRewardHoldUnownedSC{"PlanEvaluation", "rewardHoldUnownedSC", 0};
inline constexpr Setting<int> kRewardDisband{"PlanEvaluation", "rewardDisband", 0};
inline constexpr Setting<double> kPunishHoldWithoutEnemy{"PlanEvaluation", "punishHoldWithoutEnemy",
                                                         0.0};
inline constexpr Setting<double> kBrokenSupport{"PlanEvaluation", "brokenSupport", 0.9};
inline constexpr Setting<double> kAttack{"PlanEvaluation", "attack", 0.8};
inline constexpr Setting<double> kHold{"PlanEvaluation", "hold", 0.9};
inline constexpr Setting<double> kSupport{"PlanEvaluation", "support", 0.8};

inline constexpr Setting<double> kFearStartValue{"FearFactor", "startValue", 1.0};
inline constexpr Setting<double> kFearEndValue{"FearFactor", "endValue", 1.0};
inline constexpr Setting<double> kFearStartSlopeFactor{"FearFactor", "startSlopeFactor", 1.0};
inline constexpr Setting<double> kFearEndSlopeFactor{"FearFactor", "endSlopeFactor", 1.0};

inline constexpr Setting<double> kMinorityTolerance{"MinorityAdjustment", "tolerance", 1.0};
inline constexpr Setting<double> kMinorityQuota{"MinorityAdjustment", "quota", 0.3};
inline constexpr Setting<double> kMinorityStartValue{"MinorityAdjustment", "startValue", 5.0};
inline constexpr Setting<double> kMinorityEndValue{"MinorityAdjustment", "endValue", 1.0};
inline constexpr Setting<double> kMinorityStartSlopeFactor{"MinorityAdjustment", "startSlopeFactor",
                                                           1.0};
inline constexpr Setting<double> kMinorityEndSlopeFactor{"MinorityAdjustment", "endSlopeFactor",
                                                         0.0};

inline constexpr Setting<double> kConvoy{"ValueDistribution", "convoy", 0.05};
inline constexpr Setting<double> kDistributionA{"ValueDistribution", "a", 0.18};
inline constexpr Setting<double> kDistributionB{"ValueDistribution", "b", 3.3};
inline constexpr Setting<double> kDistributionC{"ValueDistribution", "c", 0.11};
inline constexpr Setting<double> kDistributionD{"ValueDistribution", "d", 10.0};
inline constexpr Setting<double> kDistributionM{"ValueDistribution", "m", 0.001};

inline constexpr const char* kOwnValues = "OwnValues";
inline constexpr const char* kExtraOccValues = "ExtraOccValues";
inline constexpr const char* kDistOccValues = "DistOccValues";

}  // namespace BotSettings

// The plan search's cooling schedule and its evaluation mode.
struct AnnealingSettings {
  int iterations = 20;
  ShapeCurve curve;
  bool continuousEvaluation = true;
};

struct LoadedSettings {
  AnnealingSettings annealing;
  bool mutated = false;
};

// Start-up: loads "Quorvel.ini" into the store (the built-in settings, also written there,
// when there is no such file), then prepares the settings.
LoadedSettings loadSettings(IniStore& store, RandomSource& random, LogFiles& logs);
// Settings already in the store: mutates them at random when they ask for it, and reads
// the annealing settings.
LoadedSettings prepareSettings(IniStore& store, RandomSource& random);
// The mutation pass; answers whether it ran (the mutated flag).
bool mutateSettings(IniStore& store, RandomSource& random);
AnnealingSettings readAnnealingSettings(const IniStore& store);
// After a won game: keeps mutated settings and records them in "changelog.csv".
void onGameWon(IniStore& store, bool mutated, LogFiles& logs);
void writeChangeLog(const IniStore& store, LogFiles& logs);

}  // namespace quorvel
