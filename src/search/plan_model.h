#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "base/trace.h"
#include "game/game_board.h"
#include "planning/unit_option_table.h"
#include "search/candidate_orders.h"
#include "settings/bot_settings.h"
#include "valuation/province_valuation.h"

namespace quorvel::search {

// Another power as the bot's own plan search would play it: a board of its own seen from
// that power, the bot's settings, their valuation and option table.
class PlanModel {
 public:
  // Nothing is planned when the map does not read.
  PlanModel(int power, const IniStore& settings, const TokenMessage& mdf);
  PlanModel(const PlanModel&) = delete;
  PlanModel& operator=(const PlanModel&) = delete;

  int power() const { return power_; }
  // The power's plan for the position, as the rules read it; nothing when the position
  // does not read or the power has no unit to order.
  std::optional<OrderSet> plan(const rules::RulesGame& game, const TokenMessage& sco,
                               const TokenMessage& now, std::uint32_t seed);

 private:
  int power_;
  bool ok_ = false;
  GameBoard board_;
  std::unique_ptr<ProvinceValuation> valuation_;
  std::unique_ptr<UnitOptionTable> options_;
  AnnealingSettings annealing_;
  TraceLog quiet_;
};

}  // namespace quorvel::search
