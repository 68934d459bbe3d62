// A plan as text for the trace, and as orders on the game board.
#include "game/game_board.h"
#include "planning/plan.h"
#include "planning/plan_evaluator.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

std::string Plan::orderText(const PlanOrder& order) const {
  const GameBoard& game = options_->game();
  const auto P = [&game](int province) { return game.province_text(province); };
  const auto L = [&game](const Location& location) { return game.location_text(location); };
  const int p = order.province();
  if (p >= 0 && order.targetProvince() >= 0) {
    std::string text = P(p);
    if (order.supporting || !order.staysPut()) {
      text += order.supporting ? " supports " : " moves to ";
      text += L(order.target);
      if (order.isConvoyedArmy()) text += " by convoy via " + P(order.convoyNext);
    } else if (order.isConvoying()) {
      text += " convoys " + P(order.convoyedArmy);
      if (order.convoyNext != p) text += " via " + P(order.convoyNext);
    } else {
      text += " holds";
    }
    return text;
  }
  if (p >= 0) return "Disband " + P(p);
  if (order.endProvince() >= 0) {
    return std::string("Build ") + (order.target.coast == tok::AMY ? "Army " : "Fleet ") +
           "at / Retreat to " + L(order.target);
  }
  return "Waive / Disband";
}

std::string Plan::toText() const {
  std::string text;
  for (const PlanOrder& order : orders_) {
    const int score = evaluator_ == nullptr ? 0 : evaluator_->scoreAt(order.endProvince());
    text += orderText(order) + " (value: " + std::to_string(score) + ")\r\n";
  }
  if (text.size() >= 2) text.pop_back();
  return text;
}

void Plan::toOrders(GameBoard& game) const {
  const int own = options_->valuation().ownPowerIndex();
  const Token season = game.season;
  if (is_movement_season(season)) {
    for (const PlanOrder& order : orders_) {
      if (order.unit->power != own) continue;
      const int key = order.province();
      if (order.supporting) {
        const PlanOrder* supported = claimant(order.targetProvince());
        if (supported == nullptr) {
          // Nobody ends where the support goes: a support of nobody could only be refused.
          game.order_hold(key);
        } else if (!supported->staysPut()) {
          game.order_support_move(key, supported->province(), supported->endProvince());
        } else {
          game.order_support_hold(key, supported->province());
        }
      } else if (order.isConvoying()) {
        const PlanOrder* army = orderAt(order.convoyedArmy);
        if (army != nullptr && !army->staysPut()) {
          game.order_convoy(key, army->province(), army->endProvince());
        } else {
          game.order_hold(key);
        }
      } else if (order.staysPut()) {
        game.order_hold(key);
      } else if (order.isConvoyedArmy()) {
        const std::vector<int> route = convoyRoute(key);
        game.order_move_by_convoy(key, order.endProvince(), static_cast<int>(route.size()),
                                  route.data());
      } else {
        game.order_move(key, order.endLocation());
      }
    }
  } else if (is_retreat_season(season)) {
    for (const PlanOrder& order : orders_) {
      const int key = order.province();
      if (key >= 0) break;
      if (order.unit->power != own) continue;
      if (order.staysPut()) {
        game.order_disband(left_from(key));
      } else {
        game.order_retreat(left_from(key), order.endLocation());
      }
    }
  } else if (season == tok::WIN && game.adjustment_count >= 0) {
    const int owed = game.adjustment_count;
    int written = 0;
    // The removals the plan chose, never beyond the count owed: the server refuses more.
    for (int province : claimedProvinces()) {
      if (province >= 0 || written >= owed) break;
      const PlanOrder* order = claimant(province);
      if (order->unit->power != own) continue;
      game.order_remove(order->province());
      ++written;
    }
    // Then the units of the lowest provinces, until the count is met.
    for (int province : claimedProvinces()) {
      if (written >= owed) break;
      if (province < 0) continue;
      const PlanOrder* order = claimant(province);
      if (order->unit->power != own) continue;
      game.order_remove(order->province());
      ++written;
    }
  } else if (season == tok::WIN) {
    int built = 0;
    for (const PlanOrder& order : orders_) {
      if (order.province() >= 0) break;
      if (order.unit->power != own || order.endProvince() < 0) continue;
      game.order_build(order.endLocation());
      ++built;
    }
    const int allowed = -game.adjustment_count;
    if (built < allowed) game.add_waives(allowed - built);
  }
}

}  // namespace quorvel
