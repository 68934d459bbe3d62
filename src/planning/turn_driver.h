#pragma once

#include <memory>
#include <vector>

#include "planning/plan.h"
#include "planning/plan_evaluator.h"
#include "settings/bot_settings.h"

namespace quorvel {

class GameBoard;
class RandomSource;
class TraceLog;
class UnitOptionTable;

// Plans one phase for the board's power: a random plan, improved by the search, with
// supports added in movement phases. Needs the valuation's update for the position and the
// option table rebuilt for it; keeps the plan it found for what comes after (its variants,
// its orders on the board).
class TurnPlanner {
 public:
  TurnPlanner(GameBoard& game, const UnitOptionTable& options, RandomSource& random);

  // No convoy lands an army in a province barred (by province), as the table's candidates
  // keep out of them.
  void plan(const AnnealingSettings& settings, TraceLog& trace,
            const std::vector<bool>* barred = nullptr);
  const Plan& best() const { return best_; }
  int bestValue() { return best_.evaluate(); }

  // Up to count distinct plans near the best, by one to three random changes each, the
  // highest valued first; tries changes at most. The best plan is not among them.
  std::vector<std::unique_ptr<Plan>> variants(int count, int tries);
  // A plan of the variants (or the best) written onto the board as its orders.
  void write(const Plan& plan) const { plan.toOrders(game_); }
  // The best plan traced and written onto the board.
  void writeBest(TraceLog& trace);

 private:
  GameBoard& game_;
  const UnitOptionTable& options_;
  RandomSource& random_;
  PlanEvaluator evaluator_;
  Plan best_;
  Plan work_;
};

// Decides the bot's orders for the phase and writes them into the game board, as a
// TurnPlanner plans them.
void planTurn(GameBoard& game, const UnitOptionTable& options, const AnnealingSettings& settings,
              RandomSource& random, TraceLog& trace, const std::vector<bool>* barred = nullptr);

}  // namespace quorvel
