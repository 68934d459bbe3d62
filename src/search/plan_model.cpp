#include "search/plan_model.h"

#include "base/random_source.h"
#include "planning/turn_driver.h"

namespace quorvel::search {

PlanModel::PlanModel(int power, const IniStore& settings, const TokenMessage& mdf) : power_(power) {
  quiet_.switch_on(false);
  if (board_.set_map(mdf) >= 0) return;
  board_.set_own_power(GameBoard::power_token(power));
  valuation_ = std::make_unique<ProvinceValuation>(board_);
  static_cast<IniStore&>(*valuation_) = settings;
  valuation_->setupMap();
  annealing_ = readAnnealingSettings(*valuation_);
  options_ = std::make_unique<UnitOptionTable>(board_, *valuation_);
  ok_ = true;
}

std::optional<OrderSet> PlanModel::plan(const rules::RulesGame& game, const TokenMessage& sco,
                                        const TokenMessage& now, std::uint32_t seed) {
  if (!ok_ || board_.set_centres(sco) >= 0 || board_.set_position(now) >= 0) return std::nullopt;
  if (board_.own_units.empty()) return std::nullopt;
  valuation_->evaluateTurn();
  options_->rebuild();
  RandomSource random(seed);
  TurnPlanner planner(board_, *options_, random);
  planner.plan(annealing_, quiet_);
  planner.write(planner.best());
  return checked_submission(game, power_, board_.build_submission());
}

}  // namespace quorvel::search
