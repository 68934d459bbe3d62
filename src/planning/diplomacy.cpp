#include "planning/diplomacy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

namespace {

using press::Arrangement;
using press::ArrangementKind;

int value_of(const ProvinceValuation& valuation, int province) {
  return std::max(valuation.provinceValue(province), 1);
}

bool reaches(const ProvinceValuation& valuation, const UnitRecord& unit, int province) {
  for (const Location& to : valuation.adjacentLocations(unit.location)) {
    if (to.province == province) return true;
  }
  return false;
}

// Where the order goes for: its move's destination, or the target of its supported move.
int aim(const OrderFacts& order) {
  if (order.is_move()) return order.destination;
  return order.kind == OrderKind::kSupportMove ? order.target : -1;
}

std::string name(int power) {
  return printed_text(TokenMessage(GameBoard::power_token(power)));
}

Arrangement pair(ArrangementKind kind, int a, int b) {
  Arrangement arrangement;
  arrangement.kind = kind;
  arrangement.powers = {GameBoard::power_token(std::min(a, b)),
                        GameBoard::power_token(std::max(a, b))};
  return arrangement;
}

bool dealing_with(const DiplomaticView& view, int power) {
  return power >= 0 && power < static_cast<int>(view.powers.size()) && view.of(power).dealing;
}

}  // namespace

bool worth_peace(const DiplomaticView& view, int power, const PressSettings& settings,
                 bool tested) {
  if (!dealing_with(view, power) || power == view.leader) return false;
  const PowerView& p = view.of(power);
  if (p.threat <= 0 || p.cooling) return false;
  if (p.aggression < settings.peace_min_aggression && !p.cooperative && !p.discerning && !tested)
    return false;
  const double reach = p.cooperative || tested ? 0.0 : p.reach * settings.peace_reach;
  return (p.gain + reach) * settings.peace_gain <= p.threat * settings.peace_threat;
}

bool worth_keeping(const DiplomaticView& view, int power, const PressSettings& settings) {
  PressSettings keeping = settings;
  keeping.peace_threat *= settings.peace_keep;
  if (view.of(power).cooperative) keeping.peace_threat *= settings.cooperative_keep;
  keeping.peace_min_aggression = 0;
  DiplomaticView kept = view;
  kept.powers[static_cast<std::size_t>(power)].cooling = false;
  return worth_peace(kept, power, keeping);
}

std::string describe(const DiplomaticView& view, int power) {
  const PowerView& p = view.of(power);
  char line[96];
  std::snprintf(line, sizeof line, "threat %d, gain %d, reach %d%s%s", p.threat, p.gain, p.reach,
                power == view.leader ? ", the leader" : "",
                dealing_with(view, power) ? "" : ", not dealt with");
  return line;
}

namespace {

// ( power type place ), the place with its coast where it has several.
TokenMessage unit_message(const GameBoard& board, const UnitRecord& unit) {
  const Token province = board.provinces[static_cast<std::size_t>(unit.location.province)].token;
  const Token coast = unit.location.coast;
  const TokenMessage place = coast == tok::AMY || coast == tok::FLT ? TokenMessage(province)
                                                                    : (province + coast).enclose();
  return (GameBoard::power_token(unit.power) + unit.unit_type + place).enclose();
}

bool enters(const std::vector<OrderFacts>& orders, int province) {
  return std::any_of(orders.begin(), orders.end(), [province](const OrderFacts& order) {
    return aim(order) == province || order.entered() == province;
  });
}

// Up to three provinces next to units of both that neither holds nor needs: no centre,
// no unit in it, none of the bot's orders going there, worth little to the bot.
Arrangement border_zone(const DiplomaticView& view, const GameBoard& board,
                        const ProvinceValuation& valuation, const PressSettings& settings,
                        const std::vector<OrderFacts>& mine, int other, bool any_value = false) {
  const int me = view.me;
  Arrangement zone = pair(ArrangementKind::kDemilitarised, me, other);
  int cheapest = 0;
  for (int q = 0; q < board.province_count && (any_value || zone.provinces.size() < 3); ++q) {
    if (view.holdings.unit_owner[static_cast<std::size_t>(q)] >= 0 ||
        view.holdings.held_by(me, q) || view.holdings.held_by(other, q) ||
        board.provinces[static_cast<std::size_t>(q)].is_supply_centre || enters(mine, q) ||
        (!any_value && valuation.provinceValue(q) > settings.dmz_value))
      continue;
    bool mine_reach = false;
    bool theirs_reach = false;
    for (const auto& [p, unit] : board.units) {
      if ((unit.power != me && unit.power != other) || !reaches(valuation, unit, q)) continue;
      (unit.power == me ? mine_reach : theirs_reach) = true;
    }
    if (!mine_reach || !theirs_reach) continue;
    const Token token = board.provinces[static_cast<std::size_t>(q)].token;
    if (!any_value) {
      zone.provinces.push_back(token);
    } else if (zone.provinces.empty() || valuation.provinceValue(q) < cheapest) {
      // The one border province worth least.
      zone.provinces = {token};
      cheapest = valuation.provinceValue(q);
    }
  }
  std::sort(zone.provinces.begin(), zone.provinces.end());
  return zone;
}

Judgement judge_promise(const OrderFacts& promise, int proposer, const DiplomaticView& view,
                        const GameBoard& board, const ProvinceValuation& valuation,
                        const AgreementLedger& ledger) {
  if (promise.power == proposer) return {true, "a promise of its own orders"};
  if (promise.power != view.me) return {false, "a promise of a third power"};
  const bool support =
      promise.kind == OrderKind::kSupportMove || promise.kind == OrderKind::kSupportHold;
  const auto unit = board.units.find(promise.unit);
  const auto supported = board.units.find(promise.supported);
  if (!support || unit == board.units.end() || unit->second.power != view.me ||
      supported == board.units.end() || supported->second.power != proposer)
    return {false, "only supports of the proposer's units"};
  if (unit->second.order == OrderKind::kMove || unit->second.order == OrderKind::kConvoyedMove)
    return {false, "the unit has a move of its own"};
  const int into = promise.kind == OrderKind::kSupportMove ? promise.target : promise.supported;
  if (!reaches(valuation, unit->second, into)) return {false, "the unit cannot reach there"};
  for (int other = 0; other < board.power_count; ++other) {
    if (other == proposer || !view.holdings.held_by(other, into)) continue;
    if (other == view.me || ledger.at_peace(view.me, other))
      return {false, "it would help against itself or a partner"};
  }
  return {true, "a unit with nothing better to do helps a partner"};
}

}  // namespace

Holdings holdings_of(const GameBoard& board) {
  const auto provinces = static_cast<std::size_t>(std::max(board.province_count, 0));
  Holdings holdings{std::vector<int>(provinces, -1), std::vector<int>(provinces, -1)};
  for (const auto& [p, unit] : board.units) {
    if (p >= 0 && static_cast<std::size_t>(p) < provinces)
      holdings.unit_owner[static_cast<std::size_t>(p)] = unit.power;
  }
  for (std::size_t p = 0; p < provinces; ++p) {
    const MapProvince& province = board.provinces[p];
    if (province.is_supply_centre && province.owner.category() == CATEGORY_POWER)
      holdings.centre_owner[p] = province.owner.subtoken();
  }
  return holdings;
}

std::vector<OrderFacts> own_orders(const GameBoard& board) {
  std::vector<OrderFacts> orders;
  const int me = board.own_power.subtoken();
  auto add = [&](int province, const UnitRecord& unit) {
    OrderFacts order;
    order.kind = unit.order == OrderKind::kNone ? OrderKind::kHold : unit.order;
    order.power = me;
    order.unit = province;
    if (order.is_move() || order.kind == OrderKind::kRetreat)
      order.destination = unit.destination.province;
    if (order.kind == OrderKind::kSupportHold || order.kind == OrderKind::kSupportMove ||
        order.kind == OrderKind::kConvoy)
      order.supported = unit.other_unit;
    if (order.kind == OrderKind::kSupportMove || order.kind == OrderKind::kConvoy)
      order.target = unit.target;
    orders.push_back(order);
  };
  for (int p : board.own_units) {
    const auto unit = board.units.find(p);
    if (unit != board.units.end()) add(p, unit->second);
  }
  for (int p : board.own_dislodged_units) {
    const auto unit = board.dislodged_units.find(p);
    if (unit != board.dislodged_units.end() && unit->second.order != OrderKind::kNone)
      add(p, unit->second);
  }
  if (board.adjustment_orders_are_builds) {
    for (const Location& place : board.adjustment_orders)
      orders.push_back({OrderKind::kBuild, me, place.province, -1, -1, -1});
  }
  return orders;
}

DiplomaticView view_turn(const GameBoard& board, const ProvinceValuation& valuation,
                         std::vector<PowerView> known, const PressSettings& settings) {
  const auto powers = static_cast<std::size_t>(std::max(board.power_count, 0));
  DiplomaticView view;
  view.me = board.own_power.subtoken();
  view.powers = std::move(known);
  view.powers.resize(powers);
  view.holdings = holdings_of(board);
  int total = 0;
  for (const MapProvince& province : board.provinces) {
    if (!province.is_supply_centre) continue;
    ++total;
    if (province.owner.category() == CATEGORY_POWER &&
        static_cast<std::size_t>(province.owner.subtoken()) < powers)
      ++view.powers[static_cast<std::size_t>(province.owner.subtoken())].centres;
  }
  for (std::size_t p = 0; p < powers; ++p) {
    PowerView& other = view.powers[p];
    const bool in_game = other.centres > 0 ||
                         std::any_of(board.units.begin(), board.units.end(), [p](const auto& u) {
                           return u.second.power == static_cast<int>(p);
                         });
    other.dealing = other.dealing && static_cast<int>(p) != view.me && in_game;
  }
  const auto most = std::max_element(
      view.powers.begin(), view.powers.end(),
      [](const PowerView& a, const PowerView& b) { return a.centres < b.centres; });
  if (most != view.powers.end() &&
      std::count_if(view.powers.begin(), view.powers.end(),
                    [&](const PowerView& p) { return p.centres == most->centres; }) == 1 &&
      most->centres >= settings.leader_share * total && most - view.powers.begin() != view.me)
    view.leader = static_cast<int>(most - view.powers.begin());

  for (const auto& [p, unit] : board.units) {
    if (unit.power == view.me || unit.power < 0 || static_cast<std::size_t>(unit.power) >= powers)
      continue;
    for (const Location& to : valuation.adjacentLocations(unit.location)) {
      if (view.holdings.held_by(view.me, to.province))
        view.powers[static_cast<std::size_t>(unit.power)].threat +=
            value_of(valuation, to.province);
    }
  }
  const double own_centres = std::max(view.of(view.me).centres, 1);
  for (PowerView& other : view.powers) {
    const double weight =
        std::pow(std::max(other.centres, 1) / own_centres, settings.peace_strength) *
        (1.0 + settings.peace_aggression * other.aggression);
    other.threat = static_cast<int>(other.threat * weight);
  }
  for (const OrderFacts& order : own_orders(board)) {
    const int target = aim(order);
    for (std::size_t p = 0; p < powers && target >= 0; ++p) {
      if (static_cast<int>(p) != view.me && view.holdings.held_by(static_cast<int>(p), target))
        view.powers[p].gain += value_of(valuation, target);
    }
  }
  // What it could go for soon: the centres its units are two moves from.
  for (std::size_t q = 0; q < view.holdings.centre_owner.size(); ++q) {
    const int owner = view.holdings.centre_owner[q];
    if (owner < 0 || owner == view.me || static_cast<std::size_t>(owner) >= powers) continue;
    const bool near = std::any_of(board.own_units.begin(), board.own_units.end(), [&](int p) {
      const auto unit = board.units.find(p);
      return unit != board.units.end() &&
             valuation.stepsFrom(unit->second.location, static_cast<int>(q)) <= 2;
    });
    if (near)
      view.powers[static_cast<std::size_t>(owner)].reach +=
          value_of(valuation, static_cast<int>(q));
  }
  return view;
}

namespace {

// What a round of proposals has to go on, and what it proposed so far.
struct Proposing {
  const DiplomaticView& view;
  const GameBoard& board;
  const ProvinceValuation& valuation;
  const AgreementLedger& ledger;
  const PressSettings& settings;
  int level;
  std::vector<OrderFacts> mine;  // the bot's orders as planned
  std::vector<Offer> result;

  void offer(int to, Arrangement a, const std::string& why,
             std::optional<Arrangement> then = std::nullopt) {
    if (ledger.agreed(a, view.me) || ledger.proposed(a, view.me)) return;
    result.push_back({{to}, std::move(a), why, std::move(then)});
  }
};

// Peace to a power that could hurt the bot and that its orders leave alone; from level 20
// to others peace with a free border.
void offer_peace(Proposing& p, int other) {
  const int me = p.view.me;
  if (worth_peace(p.view, other, p.settings)) {
    p.offer(other, pair(ArrangementKind::kPeace, me, other), "peace: " + describe(p.view, other));
    return;
  }
  if (p.level < press::kOrderLevel || !worth_peace(p.view, other, p.settings, true)) return;
  // Peace with a border kept free: a power that takes both is one to rely on.
  const Arrangement zone =
      border_zone(p.view, p.board, p.valuation, p.settings, p.mine, other, true);
  if (zone.provinces.empty()) return;
  const std::string why = "peace with a free border: " + describe(p.view, other);
  Arrangement peace = pair(ArrangementKind::kPeace, me, other);
  if (p.level >= press::kMultipartLevel) {
    Arrangement both;
    both.kind = ArrangementKind::kAnd;
    both.parts = {std::move(peace), zone};
    p.offer(other, both, why);
  } else if (p.ledger.agreed(zone, me)) {
    p.offer(other, std::move(peace), why);
  } else {
    // One arrangement a proposal: the zone first, and the peace only once the zone is
    // agreed, so that neither comes without the other.
    p.offer(other, zone, why, std::move(peace));
  }
}

bool reaches_power(const ProvinceValuation& valuation, const Holdings& holdings,
                   const GameBoard& board, int power, int target) {
  return std::any_of(board.units.begin(), board.units.end(), [&](const auto& entry) {
    if (entry.second.power != power) return false;
    for (const Location& to : valuation.adjacentLocations(entry.second.location)) {
      if (holdings.held_by(target, to.province)) return true;
    }
    return false;
  });
}

// A support of one contested move of the bot's from a unit of the partner that can give it.
void request_support(Proposing& p, int partner) {
  const int me = p.view.me;
  for (const OrderFacts& order : p.mine) {
    if (order.kind != OrderKind::kMove) continue;
    const int target = order.destination;
    bool contested = false;
    const UnitRecord* helper = nullptr;
    for (const auto& [province, unit] : p.board.units) {
      if (unit.power == me || !reaches(p.valuation, unit, target)) continue;
      if (unit.power == partner && helper == nullptr && province != target) {
        helper = &unit;
      } else if (unit.power != partner && !p.ledger.at_peace(me, unit.power)) {
        contested = true;
      }
    }
    if (!contested || helper == nullptr || p.view.holdings.held_by(partner, target)) continue;
    const auto mover = p.board.units.find(order.unit);
    if (mover == p.board.units.end()) continue;
    Arrangement request;
    request.kind = ArrangementKind::kOrder;
    request.order = unit_message(p.board, *helper) + tok::SUP +
                    unit_message(p.board, mover->second) + tok::MTO +
                    p.board.provinces[static_cast<std::size_t>(target)].token;
    p.offer(partner, request,
            "a support of a contested move into " + p.board.province_text(target));
    return;
  }
}

// To a partner: an alliance against the leader when it reaches it too, borders neither
// needs, and a support.
void offer_partner(Proposing& p, int partner) {
  const int me = p.view.me;
  const int leader = p.view.leader;
  if (p.settings.alliances && leader >= 0 && leader != partner &&
      reaches_power(p.valuation, p.view.holdings, p.board, partner, leader)) {
    Arrangement alliance = pair(ArrangementKind::kAlliance, me, partner);
    alliance.against = {GameBoard::power_token(leader)};
    p.offer(partner, alliance, "alliance against the leader " + name(leader));
  }
  const Arrangement zone = border_zone(p.view, p.board, p.valuation, p.settings, p.mine, partner);
  const bool held = std::any_of(p.ledger.agreements().begin(), p.ledger.agreements().end(),
                                [&](const Agreement& a) {
                                  return a.arrangement.kind == ArrangementKind::kDemilitarised &&
                                         a.binds(me) && a.binds(partner);
                                });
  if (!zone.provinces.empty() && !held) p.offer(partner, zone, "a border neither needs");
  if (p.settings.support_requests) request_support(p, partner);
}

}  // namespace

std::vector<Offer> offers(const DiplomaticView& view, const GameBoard& board,
                          const ProvinceValuation& valuation, const AgreementLedger& ledger,
                          const PressSettings& settings, int level) {
  Proposing p{view, board, valuation, ledger, settings, level, own_orders(board), {}};
  for (int other = 0; other < board.power_count; ++other) {
    if (dealing_with(view, other) && !ledger.at_peace(view.me, other)) offer_peace(p, other);
  }
  if (level < press::kOrderLevel) return std::move(p.result);
  for (int partner = 0; partner < board.power_count; ++partner) {
    if (dealing_with(view, partner) && ledger.at_peace(view.me, partner)) offer_partner(p, partner);
  }
  return std::move(p.result);
}

Judgement judge(const Arrangement& a, int proposer, const DiplomaticView& view,
                const GameBoard& board, const ProvinceValuation& valuation,
                const AgreementLedger& ledger, const PressSettings& settings, bool tested) {
  const int me = view.me;
  const Token self = GameBoard::power_token(me);
  auto names_me = [&](const std::vector<Token>& list) {
    return std::find(list.begin(), list.end(), self) != list.end();
  };
  if (!dealing_with(view, proposer)) return {false, "not dealing with " + name(proposer)};
  switch (a.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance: {
      if (!names_me(a.powers)) return {false, "it does not name this power among its own"};
      for (Token other : a.powers) {
        if (other == self) continue;
        if (!worth_peace(view, other.subtoken(), settings, tested))
          return {false, "no peace with " + name(other.subtoken()) + ": " +
                             describe(view, other.subtoken())};
      }
      for (Token enemy : a.against) {
        if (enemy.subtoken() < board.power_count && ledger.at_peace(me, enemy.subtoken()))
          return {false, "against a partner"};
      }
      return {true, "peace pays: " + describe(view, proposer)};
    }
    case ArrangementKind::kDemilitarised: {
      if (!names_me(a.powers)) return {false, "it does not bind this power"};
      for (Token other : a.powers) {
        if (other != self && !dealing_with(view, other.subtoken()))
          return {false, "with a power it does not deal with"};
      }
      // A zone from a power it would make peace with on a free border: the first half of
      // that peace, where the game does not let both come as one.
      const bool half_of_peace =
          !tested && !ledger.at_peace(me, proposer) && worth_peace(view, proposer, settings, true);
      const std::vector<OrderFacts> mine = own_orders(board);
      for (Token province : a.provinces) {
        const int q = province.subtoken();
        if (enters(mine, q)) return {false, "its orders go into " + board.province_text(q)};
        if (view.holdings.unit_owner[static_cast<std::size_t>(q)] == me)
          return {false, "its unit stands in " + board.province_text(q)};
        if (!tested && !half_of_peace && valuation.provinceValue(q) > settings.dmz_value)
          return {false, board.province_text(q) + " is worth too much to it"};
      }
      return {true, half_of_peace ? "a free border for peace" : "the zone is worth little to it"};
    }
    case ArrangementKind::kOrder: {
      const auto promise = read_order_facts(a.order);
      if (!promise) return {false, "not an order it reads"};
      return judge_promise(*promise, proposer, view, board, valuation, ledger);
    }
    case ArrangementKind::kAnd: {
      // Peace that comes with more than peace is peace with a power to rely on.
      const bool more = std::any_of(a.parts.begin(), a.parts.end(), [](const Arrangement& part) {
        return part.kind == ArrangementKind::kDemilitarised || part.kind == ArrangementKind::kOrder;
      });
      for (const Arrangement& part : a.parts) {
        const Judgement j = judge(part, proposer, view, board, valuation, ledger, settings, more);
        if (!j.accept) return {false, "a part fails: " + j.why};
      }
      return {true, "every part is good"};
    }
    case ArrangementKind::kOr:
      // It would keep the first choice.
      if (a.parts.empty()) return {false, "no choice"};
      return judge(a.parts.front(), proposer, view, board, valuation, ledger, settings);
    case ArrangementKind::kDraw: {
      if (!a.powers.empty() && !names_me(a.powers)) return {false, "a draw without it"};
      const bool leads =
          std::none_of(view.powers.begin(), view.powers.end(),
                       [&](const PowerView& p) { return p.centres > view.of(me).centres; });
      return {!leads, leads ? "it leads" : "it does not lead"};
    }
    case ArrangementKind::kSolo:
      return {names_me(a.powers), "a solo"};
    case ArrangementKind::kNot:
    case ArrangementKind::kNoAgreement:
      return {true, "nothing to keep"};
  }
  return {false, "not understood"};
}

bool keeps(const GameBoard& board, const Obligations& obligations) {
  const Holdings holdings = holdings_of(board);
  const std::vector<OrderFacts> mine = own_orders(board);
  for (const OrderFacts& order : mine) {
    if (forbidden(order, obligations, holdings)) return false;
  }
  for (const OrderFacts& promise : obligations.promised) {
    const bool given = std::any_of(mine.begin(), mine.end(), [&](const OrderFacts& order) {
      return order.unit == promise.unit && gives(order, promise);
    });
    if (!given) return false;
  }
  return true;
}

}  // namespace quorvel
