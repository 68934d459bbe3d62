#include "planning/turn_driver.h"

#include <algorithm>
#include <string>

#include "base/trace.h"
#include "game/game_board.h"
#include "planning/plan_search.h"
#include "planning/unit_option_table.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

TurnPlanner::TurnPlanner(GameBoard& game, const UnitOptionTable& options, RandomSource& random)
    : game_(game),
      options_(options),
      random_(random),
      evaluator_(game, options.valuation()),
      best_(random),
      work_(random) {
  evaluator_.setUnitTable(options);
}

void TurnPlanner::plan(const AnnealingSettings& settings, TraceLog& trace,
                       const std::vector<bool>* barred) {
  best_.init(options_, evaluator_);
  best_.addOwnUnits();
  const bool movement = is_movement_season(game_.season);
  if (movement) addConvoyCandidates(best_);
  if (movement && barred != nullptr) {
    for (PlanOrder& order : best_.orders()) {
      order.ownCandidates.erase_if([&](const Location& place) {
        return place.province != order.province() && place.province >= 0 &&
               place.province < static_cast<int>(barred->size()) &&
               (*barred)[static_cast<std::size_t>(place.province)];
      });
    }
  }
  randomize(best_);

  searchPlan(best_, work_, settings, trace);
  evaluator_.afterSearch();
  if (movement) {
    improveWithSupports(best_, work_, best_.evaluate(), trace);
    evaluator_.afterSearch();
  }
}

std::vector<std::unique_ptr<Plan>> TurnPlanner::variants(int count, int tries) {
  struct Found {
    std::unique_ptr<Plan> plan;
    int value;
    std::string text;
  };
  // Made before the changes: every new plan restarts the random source.
  std::vector<std::unique_ptr<Plan>> spare;
  for (int i = 0; i < count; ++i)
    spare.push_back(std::make_unique<Plan>(random_));
  std::vector<Found> found;
  best_.evaluate();  // the values in its text are the last evaluation's
  const std::string best_text = best_.toText();
  for (int attempt = 0; attempt < tries && count > 0; ++attempt) {
    work_.assign(best_);
    const int changes = 1 + static_cast<int>(random_.next() % 3);
    for (int i = 0; i < changes; ++i)
      mutate(work_);
    const int value = work_.evaluate();
    if (static_cast<int>(found.size()) == count && value <= found.back().value) continue;
    std::string text = work_.toText();
    if (text == best_text ||
        std::any_of(found.begin(), found.end(), [&](const Found& f) { return f.text == text; }))
      continue;
    if (static_cast<int>(found.size()) == count) {
      spare.push_back(std::move(found.back().plan));
      found.pop_back();
    }
    std::unique_ptr<Plan> copy = std::move(spare.back());
    spare.pop_back();
    copy->assign(work_);
    const auto at =
        std::find_if(found.begin(), found.end(), [&](const Found& f) { return f.value < value; });
    found.insert(at, Found{std::move(copy), value, std::move(text)});
  }
  std::vector<std::unique_ptr<Plan>> plans;
  for (Found& f : found)
    plans.push_back(std::move(f.plan));
  return plans;
}

void TurnPlanner::writeBest(TraceLog& trace) {
  trace.line("Generated plan:");
  // Evaluated once more so that the values in the text are the chosen plan's.
  best_.evaluate();
  trace.line("%s", best_.toText().c_str());
  write(best_);
  trace.line("Move-Orders sent.");
}

void planTurn(GameBoard& game, const UnitOptionTable& options, const AnnealingSettings& settings,
              RandomSource& random, TraceLog& trace, const std::vector<bool>* barred) {
  TurnPlanner planner(game, options, random);
  planner.plan(settings, trace, barred);
  planner.writeBest(trace);
}

}  // namespace quorvel
