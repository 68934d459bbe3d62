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

// Free keys: a power's name, its first movement phase's orders ("A VIE-GAL A BUD-SER F TRI H").
inline constexpr const char* kOpeningsSection = "Openings";

inline constexpr Setting<int> kIterations{"Annealing", "iterations", 20};
inline constexpr Setting<double> kAnnealingEndSlopeFactor{"Annealing", "endSlopeFactor", 1.0};
inline constexpr Setting<double> kAnnealingStartSlopeFactor{"Annealing", "startSlopeFactor", 1.0};
inline constexpr Setting<double> kAnnealingEndValue{"Annealing", "endValue", 20.0};
inline constexpr Setting<double> kAnnealingStartValue{"Annealing", "startValue", 20.0};
inline constexpr Setting<bool> kContinuousEvaluation{"Annealing", "continuousEvaluation", true};

// The search over the phase's likely orders of the powers that can touch the bot's units.
inline constexpr Setting<int> kSearchBudgetMilliseconds{"Search", "budgetMilliseconds", 0};
inline constexpr Setting<int> kSearchOwnCandidates{"Search", "ownCandidates", 10};
inline constexpr Setting<int> kSearchOtherCandidates{"Search", "otherCandidates", 4};
inline constexpr Setting<int> kSearchIterations{"Search", "iterations", 0};
inline constexpr Setting<int> kSearchSamples{"Search", "samples", 16};
inline constexpr Setting<double> kSearchPrior{"Search", "prior", 1.0};
inline constexpr Setting<double> kSearchLossWeight{"Search", "lossWeight", 1.0};
inline constexpr Setting<int> kSearchAttackCandidates{"Search", "attackCandidates", 8};
inline constexpr Setting<bool> kSearchOpponentPlans{"Search", "opponentPlans", true};
inline constexpr Setting<double> kSearchPlanShareFloor{"Search", "planShareFloor", 0.1};
inline constexpr Setting<double> kSearchPlanWeight{"Search", "planWeight", 0.5};
inline constexpr Setting<int> kSearchLookAheadCandidates{"Search", "lookAheadCandidates", 0};
inline constexpr Setting<int> kSearchLookAheadSamples{"Search", "lookAheadSamples", 4};
inline constexpr Setting<int> kSearchLookAheadDraws{"Search", "lookAheadDraws", 4};
inline constexpr Setting<double> kSearchLookAheadWeight{"Search", "lookAheadWeight", 50.0};
inline constexpr Setting<double> kSearchBuildValue{"Search", "buildValue", 0.0};

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

// Negotiation, in games with press.
inline constexpr Setting<int> kPressLevel{"Press", "level", 30};
inline constexpr Setting<int> kPressWaitMilliseconds{"Press", "waitMilliseconds", 2000};
inline constexpr Setting<int> kPressDeadlineMargin{"Press", "deadlineMargin", 5};
inline constexpr Setting<int> kPressDistrustPhases{"Press", "distrustPhases", 100};
inline constexpr Setting<double> kPressPartnerFear{"Press", "partnerFear", 0.7};
inline constexpr Setting<double> kPressPeaceThreat{"Press", "peaceThreat", 1.0};
inline constexpr Setting<double> kPressPeaceGain{"Press", "peaceGain", 1.0};
inline constexpr Setting<double> kPressPeaceReach{"Press", "peaceReach", 0.5};
inline constexpr Setting<double> kPressPeaceAggression{"Press", "peaceAggression", 0.5};
inline constexpr Setting<double> kPressPeaceMinAggression{"Press", "peaceMinAggression", 0.3};
inline constexpr Setting<int> kPressPeaceCooldown{"Press", "peaceCooldown", 0};
inline constexpr Setting<double> kPressPeaceKeep{"Press", "peaceKeep", 1.0};
inline constexpr Setting<double> kPressPeaceStrength{"Press", "peaceStrength", 1.0};
inline constexpr Setting<double> kPressLeaderShare{"Press", "leaderShare", 0.3};
inline constexpr Setting<int> kPressDmzValue{"Press", "dmzValue", 10};
inline constexpr Setting<bool> kPressAlliances{"Press", "alliances", true};
inline constexpr Setting<bool> kPressSupportRequests{"Press", "supportRequests", true};
inline constexpr Setting<bool> kPressTrustPartners{"Press", "trustPartners", true};
inline constexpr Setting<int> kPressTrustAfter{"Press", "trustAfter", 1};
inline constexpr Setting<double> kPressCooperativeKeep{"Press", "cooperativeKeep", 4.0};
inline constexpr Setting<int> kPressCooperativeTrustAfter{"Press", "cooperativeTrustAfter", 0};
inline constexpr Setting<double> kPressCooperativeFear{"Press", "cooperativeFear", 0.4};
inline constexpr Setting<int> kPressDrawYears{"Press", "drawYears", 5};

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

// The search over the phase's likely orders: the bot's candidate order sets against those
// of the powers that can touch its units, weighed by regret matching.
struct SearchSettings {
  int budget_milliseconds = 0;  // the most the search spends in a phase; 0: no search
  int own_candidates = 10;      // the bot's plan and its best variants
  int attack_candidates = 8;    // the plan with a supported attack on a place worth taking
  int other_candidates = 4;     // distinct order sets drawn for each power in reach
  int iterations = 0;           // rounds of regret matching
  int samples = 16;             // the others' joint choices each of the bot's sets is scored on
  double prior = 1.0;           // how much the others' choices keep to how often they were drawn
  double loss_weight = 1.0;     // an own centre a foreign unit ends in, by its value
  double plan_weight = 0.5;     // the plan evaluation's value of each own set, added so weighted
  // A set of the bot's own plan search for each power in reach, weighed against the greedy
  // rule's sets by how likely each foresees the power's orders; not run for a power the plan
  // search foresees better with a likelihood below plan_share_floor.
  bool opponent_plans = true;
  double plan_share_floor = 0.1;
  // A look past the phase for the best look_ahead_candidates sets (0: none): on
  // look_ahead_samples of the others' likely choices, the game is played on by the greedy
  // rule for every power (look_ahead_draws draws of the next movement phase), and the bot's
  // centres held after it count look_ahead_weight each.
  int look_ahead_candidates = 0;
  int look_ahead_samples = 4;
  int look_ahead_draws = 4;
  double look_ahead_weight = 50.0;
  // Each build an autumn's outcome leaves room for (a centre more than units, and a free
  // home centre to build in), added to the set's value.
  double build_value = 0.0;
  // The budget is kept by the clock. A player that must replay its games exactly (one
  // random stream from a seed, as in the arena) keeps to the counts above alone, which
  // stay well inside the budget on any ordinary machine.
  bool by_clock = true;

  bool enabled() const { return budget_milliseconds > 0; }
};

// How the bot negotiates in games with press.
struct PressSettings {
  int level = 30;                // the highest press level it speaks; 0: it keeps silent
  int wait_milliseconds = 2000;  // how long a movement phase waits for answers
  int deadline_margin = 5;       // seconds it keeps before a phase's time limit
  int distrust_phases = 100;  // movement phases it does not deal with a power that broke its word
  double partner_fear = 0.7;  // how much a partner that keeps its word is feared
  double peace_threat = 1.0;  // weight of what a power could take from it ...
  double peace_gain = 1.0;    // ... against what it means to take from that power
  double peace_reach = 0.5;   // and, so weighted, what of that power's it could take soon
  double peace_aggression = 0.5;      // a power that went for it lately threatens this much more
  double peace_min_aggression = 0.3;  // peace only with a power that went for it this much
  int peace_cooldown = 0;   // movement phases without new peace with a power it ended peace with
  double peace_keep = 1.0;  // a peace in force ends only when it pays this many times less
  double peace_strength = 1.0;  // threat weighed by (its centres / the bot's) to this power
  double leader_share = 0.3;  // the leader, with at least this share of the centres, gets no peace
  int dmz_value = 10;         // the most a province may be worth to it to be demilitarised
  bool alliances = true;      // proposes alliances against the leader
  bool support_requests = true;  // asks partners to support its contested moves
  bool trust_partners = true;    // expects partners' units to keep out of what it holds ...
  int trust_after = 1;           // ... once they kept their word in this many movement phases
  // A partner that agreed more than peace: its peace kept this many times more firmly,
  // relied on sooner.
  double cooperative_keep = 4.0;
  int cooperative_trust_after = 0;
  double cooperative_fear = 0.4;  // its fear, instead of partner_fear
  int draw_years = 5;             // asks for a draw once no centre changed hands this long; 0 never
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
PressSettings readPressSettings(const IniStore& store);
// Out-of-range values are clamped to what the search can use.
SearchSettings readSearchSettings(const IniStore& store);
// After a won game: keeps mutated settings and records them in "changelog.csv".
void onGameWon(IniStore& store, bool mutated, LogFiles& logs);
void writeChangeLog(const IniStore& store, LogFiles& logs);

}  // namespace quorvel
