#include "settings/bot_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "base/logs.h"
#include "base/truncate.h"
#include "settings/builtin_settings.h"

namespace quorvel {

LoadedSettings loadSettings(IniStore& store, RandomSource& random, LogFiles& logs) {
  random.restart();
  store.setFileName("Quorvel.ini");
  if (!store.load()) {
    logs.error("Unable to read ini-File Quorvel.ini");
    // Without its file the bot would value nothing. It plays by the built-in settings and
    // writes them there, so that its learning starts from them; a file that exists is
    // kept as it is, even an empty one.
    std::error_code ec;
    if (!std::filesystem::exists("Quorvel.ini", ec) && !ec) {
      std::istringstream text{std::string(builtin_settings_text())};
      store.loadFrom(text);
      if (!store.save()) logs.error("Unable to write ini-File Quorvel.ini");
    }
  }
  return prepareSettings(store, random);
}

LoadedSettings prepareSettings(IniStore& store, RandomSource& random) {
  LoadedSettings loaded;
  loaded.mutated = mutateSettings(store, random);
  loaded.annealing = readAnnealingSettings(store);
  return loaded;
}

bool mutateSettings(IniStore& store, RandomSource& random) {
  const double probability = read(store, BotSettings::kMutationProbability);
  if (probability == 0.0) return false;
  const double range = read(store, BotSettings::kMutationRange);

  struct Section {
    const char* name;
    bool integers;
  };
  const Section sections[] = {
      {BotSettings::kDistOccValues, true}, {BotSettings::kExtraOccValues, true},
      {BotSettings::kOwnValues, true},     {"FearFactor", false},
      {"PlanEvaluation", false},           {"ValueDistribution", false}};
  for (const Section& section : sections) {
    for (int i = 0; i < store.keyCount(section.name); ++i) {
      const std::string key = store.keyAt(section.name, i);
      if (random.next() % 1000 > probability * 1000) continue;
      double factor = 1.0 + (random.next() % 1000) * range / 1000.0;
      if (random.next() % 2 == 0) factor = 1.0 / factor;
      if (section.integers) {
        const int value = store.getInt(section.name, key, 0);
        // Rounded half up: with a factor of 1 a negative weight keeps its value, where
        // truncating would pull it one step towards zero at every mutation.
        store.setInt(section.name, key, truncate_to_int(std::floor(value * factor + 0.5)));
      } else {
        store.setDouble(section.name, key, store.getDouble(section.name, key, 0.0) * factor);
      }
    }
  }
  return true;
}

AnnealingSettings readAnnealingSettings(const IniStore& store) {
  AnnealingSettings annealing;
  annealing.iterations = read(store, BotSettings::kIterations);
  const double end_slope = read(store, BotSettings::kAnnealingEndSlopeFactor);
  const double start_slope = read(store, BotSettings::kAnnealingStartSlopeFactor);
  const double end = read(store, BotSettings::kAnnealingEndValue);
  const double start = read(store, BotSettings::kAnnealingStartValue);
  annealing.curve = ShapeCurve::build(annealing.iterations, start, end, start_slope, end_slope);
  annealing.continuousEvaluation = read(store, BotSettings::kContinuousEvaluation);
  return annealing;
}

PressSettings readPressSettings(const IniStore& store) {
  using namespace BotSettings;
  PressSettings press;
  press.level = read(store, kPressLevel);
  press.wait_milliseconds = std::max(0, read(store, kPressWaitMilliseconds));
  press.deadline_margin = std::max(0, read(store, kPressDeadlineMargin));
  press.distrust_phases = std::max(0, read(store, kPressDistrustPhases));
  press.partner_fear = read(store, kPressPartnerFear);
  press.peace_threat = read(store, kPressPeaceThreat);
  press.peace_gain = read(store, kPressPeaceGain);
  press.peace_reach = read(store, kPressPeaceReach);
  press.peace_aggression = read(store, kPressPeaceAggression);
  press.peace_min_aggression = read(store, kPressPeaceMinAggression);
  press.peace_cooldown = std::max(0, read(store, kPressPeaceCooldown));
  press.peace_keep = read(store, kPressPeaceKeep);
  press.peace_strength = read(store, kPressPeaceStrength);
  press.leader_share = read(store, kPressLeaderShare);
  press.dmz_value = read(store, kPressDmzValue);
  press.alliances = read(store, kPressAlliances);
  press.support_requests = read(store, kPressSupportRequests);
  press.trust_partners = read(store, kPressTrustPartners);
  press.trust_after = std::max(0, read(store, kPressTrustAfter));
  press.cooperative_keep = read(store, kPressCooperativeKeep);
  press.cooperative_trust_after = std::max(0, read(store, kPressCooperativeTrustAfter));
  press.cooperative_fear = read(store, kPressCooperativeFear);
  press.draw_years = std::max(0, read(store, kPressDrawYears));
  return press;
}

SearchSettings readSearchSettings(const IniStore& store) {
  using namespace BotSettings;
  SearchSettings search;
  search.budget_milliseconds = std::clamp(read(store, kSearchBudgetMilliseconds), 0, 60000);
  search.own_candidates = std::clamp(read(store, kSearchOwnCandidates), 1, 64);
  search.other_candidates = std::clamp(read(store, kSearchOtherCandidates), 1, 64);
  search.iterations = std::clamp(read(store, kSearchIterations), 0, 100000);
  // A set is scored on all its samples before the clock is read again.
  search.samples = std::clamp(read(store, kSearchSamples), 1, 1000);
  search.prior = std::clamp(read(store, kSearchPrior), 0.0, 1.0);
  search.loss_weight = std::clamp(read(store, kSearchLossWeight), 0.0, 100.0);
  search.plan_weight = std::clamp(read(store, kSearchPlanWeight), 0.0, 100.0);
  search.attack_candidates = std::clamp(read(store, kSearchAttackCandidates), 0, 64);
  search.opponent_plans = read(store, kSearchOpponentPlans);
  search.plan_share_floor = std::clamp(read(store, kSearchPlanShareFloor), 0.0, 1.0);
  search.look_ahead_candidates = std::clamp(read(store, kSearchLookAheadCandidates), 0, 64);
  search.look_ahead_samples = std::clamp(read(store, kSearchLookAheadSamples), 1, 64);
  search.look_ahead_draws = std::clamp(read(store, kSearchLookAheadDraws), 1, 64);
  search.look_ahead_weight = std::clamp(read(store, kSearchLookAheadWeight), 0.0, 1000.0);
  search.build_value = std::clamp(read(store, kSearchBuildValue), 0.0, 10000.0);
  return search;
}

void onGameWon(IniStore& store, bool mutated, LogFiles& logs) {
  if (!mutated) return;
  if (!store.save()) logs.error("Unable to write ini-File Quorvel.ini");
  writeChangeLog(store, logs);
}

void writeChangeLog(const IniStore& store, LogFiles& logs) {
  std::FILE* file = std::fopen("changelog.csv", "a");
  if (file == nullptr) {
    logs.error("Couldn't open log file changelog.csv");
    return;
  }
  std::string line;
  for (int s = 0; s < store.sectionCount(); ++s) {
    for (int k = 0; k < store.keyCount(s); ++k)
      line += store.valueAt(s, k) + ",";
  }
  line += '\n';
  std::fputs(line.c_str(), file);
  std::fclose(file);
}

}  // namespace quorvel
