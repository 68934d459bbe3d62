#include "planning/turn_driver.h"

#include "base/trace.h"
#include "game/game_board.h"
#include "planning/plan.h"
#include "planning/plan_evaluator.h"
#include "planning/plan_search.h"
#include "planning/unit_option_table.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

void planTurn(GameBoard& game, const UnitOptionTable& options, const AnnealingSettings& settings,
              RandomSource& random, TraceLog& trace, const std::vector<bool>* barred) {
  Plan best(random);
  Plan work(random);
  PlanEvaluator evaluator(game, options.valuation());
  evaluator.setUnitTable(options);

  best.init(options, evaluator);
  best.addOwnUnits();
  const bool movement = is_movement_season(game.season);
  if (movement) addConvoyCandidates(best);
  if (movement && barred != nullptr) {
    for (PlanOrder& order : best.orders()) {
      order.ownCandidates.erase_if([&](const Location& place) {
        return place.province != order.province() && place.province >= 0 &&
               place.province < static_cast<int>(barred->size()) &&
               (*barred)[static_cast<std::size_t>(place.province)];
      });
    }
  }
  randomize(best);

  searchPlan(best, work, settings, trace);
  evaluator.afterSearch();
  if (movement) {
    improveWithSupports(best, work, best.evaluate(), trace);
    evaluator.afterSearch();
  }

  trace.line("Generated plan:");
  // Evaluated once more so that the values in the text are the chosen plan's.
  best.evaluate();
  trace.line("%s", best.toText().c_str());
  best.toOrders(game);
  trace.line("Move-Orders sent.");
}

}  // namespace quorvel
