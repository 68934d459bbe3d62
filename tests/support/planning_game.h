#pragma once

#include <memory>
#include <string>

#include "base/trace.h"
#include "game/game_board.h"
#include "planning/plan.h"
#include "planning/plan_evaluator.h"
#include "planning/unit_option_table.h"
#include "support/boards.h"
#include "valuation/province_valuation.h"

namespace quorvel::testing {

// The standard map with a position, valued and with its option table built, for the
// power given; settings as ini lines ("Section:key=value") may be given before valuing.
struct PlanningGame {
  std::unique_ptr<GameBoard> board;
  std::unique_ptr<ProvinceValuation> valuation;
  std::unique_ptr<UnitOptionTable> options;
  std::unique_ptr<PlanEvaluator> evaluator;
  RandomSource random{1};
  TraceLog trace;

  PlanningGame(const std::string& power, const std::string& sco, const std::string& now,
               const std::vector<std::string>& settings = {}) {
    trace.switch_on(false);
    board = standard_board(power);
    valuation = std::make_unique<ProvinceValuation>(*board);
    for (const std::string& setting : settings) {
      const std::size_t colon = setting.find(':');
      const std::size_t equals = setting.find('=');
      valuation->setValue(setting.substr(0, colon), setting.substr(colon + 1, equals - colon - 1),
                          setting.substr(equals + 1), true);
    }
    EXPECT_TRUE(valuation->setupMap().empty());
    EXPECT_EQ(board->set_centres(parse(sco)), -1);
    EXPECT_EQ(board->set_position(parse(now)), -1);
    valuation->evaluateTurn();
    options = std::make_unique<UnitOptionTable>(*board, *valuation);
    options->rebuild();
    evaluator = std::make_unique<PlanEvaluator>(*board, *valuation);
    evaluator->setUnitTable(*options);
  }

  // A plan of the bot's units, every one at its first candidate's claim.
  std::unique_ptr<Plan> plan() {
    auto result = std::make_unique<Plan>(random);
    result->init(*options, *evaluator);
    result->addOwnUnits();
    return result;
  }

  // The same with every order holding.
  std::unique_ptr<Plan> held_plan() {
    auto result = plan();
    result->clearClaims();
    for (PlanOrder& order : result->orders())
      result->resetToHold(order);
    for (PlanOrder& order : result->orders())
      result->claim(order);
    return result;
  }
};

inline Location at(const std::string& name, Token coast) {
  return {province(name), coast};
}

}  // namespace quorvel::testing
