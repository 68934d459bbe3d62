#include "rules/referee.h"

#include "game/game_board.h"
#include "protocol/tokens.h"

namespace quorvel::rules {

OrderFacts facts_of(const Order& order) {
  OrderFacts facts;
  facts.kind = order.kind;
  facts.power = order.power;
  facts.unit = order.unit.location.province;
  if (order.is_move() || order.kind == OrderKind::kRetreat)
    facts.destination = order.destination.province;
  facts.supported = order.supported;
  facts.target = order.target;
  return facts;
}

Holdings holdings_of(const RulesGame& game) {
  const RulesMap& map = game.map();
  const Position& position = game.position();
  const auto provinces = static_cast<std::size_t>(std::max(map.province_count(), 0));
  Holdings holdings{std::vector<int>(provinces, -1), std::vector<int>(provinces, -1)};
  for (const auto& [p, unit] : position.units)
    holdings.unit_owner[static_cast<std::size_t>(p)] = unit.power;
  for (std::size_t p = 0; p < provinces; ++p) {
    const Token owner = position.owners[p];
    if (map.supply_centre(static_cast<int>(p)) && owner.category() == CATEGORY_POWER)
      holdings.centre_owner[p] = owner.subtoken();
  }
  return holdings;
}

bool held_by(const RulesGame& game, int power, int province) {
  const Position& position = game.position();
  const auto unit = position.units.find(province);
  if (unit != position.units.end() && unit->second.power == power) return true;
  return game.map().supply_centre(province) &&
         position.owners[static_cast<std::size_t>(province)] == GameBoard::power_token(power);
}

std::vector<Breach> Referee::check(const RulesGame& game) {
  const Holdings holdings = holdings_of(game);
  const PhaseKind kind = phase_kind(game.season());
  // Every order of the phase, and the rules' orders they stand for.
  std::vector<OrderFacts> facts;
  std::vector<Order> given;
  for (const auto* orders : {&game.orders(), &game.builds(), &game.removals()}) {
    for (const auto& [p, order] : *orders) {
      facts.push_back(facts_of(order));
      given.push_back(order);
    }
  }
  for (int power = 0; power < game.map().power_count(); ++power) {
    for (int n = game.waives(power); n > 0; --n) {
      Order waive;
      waive.kind = OrderKind::kWaive;
      waive.power = power;
      facts.push_back(facts_of(waive));
      given.push_back(waive);
    }
  }
  std::vector<Breach> found;
  for (const Agreement& agreement : ledger_.agreements()) {
    for (int party : agreement.parties) {
      const std::vector<Violation> broke = violations(agreement, party, kind, holdings, facts);
      if (broke.empty()) continue;
      ledger_.mark_broken(agreement.id);
      ++broken_[static_cast<std::size_t>(party)];
      const TokenMessage arrangement = press::to_message(agreement.arrangement);
      for (const Violation& v : broke) {
        Order order;
        if (v.order >= 0) {
          order = given[static_cast<std::size_t>(v.order)];
        } else if (const auto unit = game.position().units.find(v.unit);
                   unit != game.position().units.end()) {
          order.unit = unit->second;  // no order: it holds
          order.power = party;
        } else {
          order.kind = OrderKind::kWaive;  // a promised build or removal not given
          order.power = party;
        }
        Breach breach{party, agreement.id, agreement.parties, arrangement,
                      order_message(game.map(), game.position(), order)};
        ledger_.note("breach of agreement " + std::to_string(agreement.id) + " (" +
                     printed_text(arrangement) + ") by " + power_names({party}) + ": " +
                     printed_text(breach.order));
        found.push_back(breach);
        breaches_.push_back(std::move(breach));
      }
    }
  }
  return found;
}

Restrictions Referee::restrictions(int power, const RulesGame& game) const {
  return ledger_.obligations(power, phase_kind(game.season()), holdings_of(game));
}

}  // namespace quorvel::rules
