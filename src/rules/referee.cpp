#include "rules/referee.h"

#include <algorithm>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel::rules {

namespace {

using namespace tok;
using press::Arrangement;
using press::ArrangementKind;

constexpr int kMovement = 0;
constexpr int kRetreat = 1;
constexpr int kAdjustment = 2;

int phase_kind(Token season) {
  if (is_movement_season(season)) return kMovement;
  if (is_retreat_season(season)) return kRetreat;
  return kAdjustment;
}

// The kind of phase in which a promised order is given: by its verb.
int phase_kind_of(const TokenMessage& order) {
  for (int i = 0; i < order.length(); ++i) {
    const Token t = order.token_at(i);
    if (t == RTO || t == DSB) return kRetreat;
    if (t == BLD || t == REM || t == WVE) return kAdjustment;
  }
  return kMovement;
}

// Lists in token order, so that PCE (FRA ENG) and PCE (ENG FRA) are one arrangement.
Arrangement normalized(Arrangement a) {
  std::sort(a.powers.begin(), a.powers.end());
  std::sort(a.against.begin(), a.against.end());
  std::sort(a.provinces.begin(), a.provinces.end());
  for (Arrangement& part : a.parts)
    part = normalized(std::move(part));
  return a;
}

bool same(const Arrangement& a, const Arrangement& b) {
  return press::to_message(a) == press::to_message(b);
}

std::vector<int> indexes(const std::vector<Token>& powers) {
  std::vector<int> result;
  for (Token power : powers)
    result.push_back(power.subtoken());
  return result;
}

bool contains(const std::vector<int>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Whether the arrangement binds its parties on the board at all.
bool binds(const Arrangement& a) {
  switch (a.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance:
    case ArrangementKind::kOrder:
    case ArrangementKind::kDemilitarised:
      return true;
    case ArrangementKind::kAnd:
    case ArrangementKind::kOr:
      return std::any_of(a.parts.begin(), a.parts.end(), binds);
    default:
      return false;
  }
}

// Whether anything in it binds beyond its promised orders, which fall due once: each in
// the first phase of its kind.
bool binds_after(const Arrangement& a, const std::array<bool, 3>& phases_done) {
  switch (a.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance:
    case ArrangementKind::kDemilitarised:
      return true;
    case ArrangementKind::kOrder:
      return !phases_done[static_cast<std::size_t>(phase_kind_of(a.order))];
    case ArrangementKind::kAnd:
    case ArrangementKind::kOr:
      return std::any_of(a.parts.begin(), a.parts.end(),
                         [&](const Arrangement& part) { return binds_after(part, phases_done); });
    default:
      return false;
  }
}

// The powers the arrangement puts at peace with power, among the parties.
void peace_partners(const Arrangement& a, int power, const std::vector<int>& parties,
                    std::set<int>& out, bool first_choice_only) {
  if (a.kind == ArrangementKind::kPeace || a.kind == ArrangementKind::kAlliance) {
    const std::vector<int> members = indexes(a.powers);
    if (!contains(members, power) || !contains(parties, power)) return;
    for (int other : members) {
      if (other != power && contains(parties, other)) out.insert(other);
    }
  } else if (a.kind == ArrangementKind::kAnd) {
    for (const Arrangement& part : a.parts)
      peace_partners(part, power, parties, out, first_choice_only);
  } else if (a.kind == ArrangementKind::kOr && first_choice_only && !a.parts.empty()) {
    peace_partners(a.parts.front(), power, parties, out, first_choice_only);
  }
}

void demilitarised(const Arrangement& a, int power, const std::vector<int>& parties,
                   std::set<int>& out) {
  if (a.kind == ArrangementKind::kDemilitarised) {
    if (!contains(indexes(a.powers), power) || !contains(parties, power)) return;
    for (Token province : a.provinces)
      out.insert(province.subtoken());
  } else if (a.kind == ArrangementKind::kAnd) {
    for (const Arrangement& part : a.parts)
      demilitarised(part, power, parties, out);
  } else if (a.kind == ArrangementKind::kOr && !a.parts.empty()) {
    demilitarised(a.parts.front(), power, parties, out);
  }
}

// The phase's orders as the referee reads them.
struct PhaseView {
  const RulesGame& game;
  int kind;

  const RulesMap& map() const { return game.map(); }
  const Position& position() const { return game.position(); }

  std::vector<const Order*> orders_of(int power) const {
    std::vector<const Order*> result;
    for (const auto* orders : {&game.orders(), &game.builds()}) {
      for (const auto& [p, order] : *orders) {
        if (order.power == power) result.push_back(&order);
      }
    }
    return result;
  }
};

// A move into, or a support of a move into, what a partner holds: a support of the
// partner's own move excepted.
bool attacks(const PhaseView& view, const Order& order, int partner) {
  if (view.kind != kMovement) return false;
  int target = -1;
  if (order.is_move()) {
    target = order.destination.province;
  } else if (order.kind == OrderKind::kSupportMove) {
    target = order.target;
    const auto supported = view.position().units.find(order.supported);
    if (supported != view.position().units.end() && supported->second.power == partner)
      return false;
  }
  return target >= 0 && held_by(view.game, partner, target);
}

bool enters(const Order& order, const std::vector<Token>& provinces, const RulesMap& map) {
  int into = -1;
  if (order.is_move() || order.kind == OrderKind::kRetreat) into = order.destination.province;
  if (order.kind == OrderKind::kBuild) into = order.unit.location.province;
  return into >= 0 &&
         std::find(provinces.begin(), provinces.end(), map.token(into)) != provinces.end();
}

// The order the unit was given, or the hold or disband it gets for none; whether it is
// the promised one.
bool kept_promise(const PhaseView& view, int power, const TokenMessage& promised, Order& given) {
  const CheckedOrder check = check_order(view.map(), view.position(), power, promised);
  // A promise the rules no longer allow (the unit is gone, say) lapses.
  if (check.note != MBV) return true;
  const Order& want = check.order;
  const int p = want.unit.location.province;
  if (want.kind == OrderKind::kBuild || want.kind == OrderKind::kRemove ||
      want.kind == OrderKind::kWaive) {
    const auto& taken = want.kind == OrderKind::kBuild ? view.game.builds() : view.game.removals();
    const auto found = taken.find(p);
    if (want.kind == OrderKind::kWaive) {
      given = want;
      return view.game.waives(power) > 0;
    }
    if (found != taken.end() && found->second.unit.location == want.unit.location) {
      given = found->second;
      return true;
    }
    given = want;
    given.kind = OrderKind::kWaive;
    return false;
  }
  const auto found = view.game.orders().find(p);
  if (found == view.game.orders().end()) {
    given = want;
    given.kind = view.kind == kRetreat ? OrderKind::kDisband : OrderKind::kHold;
    return want.kind == given.kind;
  }
  given = found->second;
  return given.kind == want.kind && given.destination.province == want.destination.province &&
         given.supported == want.supported && given.target == want.target;
}

// The orders of power that break the arrangement; none when it keeps it.
void violations(const PhaseView& view, const Agreement& agreement, const Arrangement& a, int power,
                std::vector<Order>& out) {
  switch (a.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance: {
      std::set<int> partners;
      peace_partners(a, power, agreement.parties, partners, false);
      for (const Order* order : view.orders_of(power)) {
        if (std::any_of(partners.begin(), partners.end(),
                        [&](int partner) { return attacks(view, *order, partner); }))
          out.push_back(*order);
      }
      return;
    }
    case ArrangementKind::kDemilitarised:
      if (!contains(indexes(a.powers), power)) return;
      for (const Order* order : view.orders_of(power)) {
        if (enters(*order, a.provinces, view.map())) out.push_back(*order);
      }
      return;
    case ArrangementKind::kOrder: {
      const std::vector<Token> owner = press::named_powers(a);
      const int kind = phase_kind_of(a.order);
      if (owner.empty() || owner.front().subtoken() != power || kind != view.kind ||
          agreement.phases_done[static_cast<std::size_t>(kind)])
        return;
      Order given;
      if (!kept_promise(view, power, a.order, given)) out.push_back(given);
      return;
    }
    case ArrangementKind::kAnd:
      for (const Arrangement& part : a.parts)
        violations(view, agreement, part, power, out);
      return;
    case ArrangementKind::kOr: {
      // Broken only when no choice was kept.
      std::vector<Order> all;
      for (const Arrangement& part : a.parts) {
        std::vector<Order> some;
        violations(view, agreement, part, power, some);
        if (some.empty()) return;
        all.insert(all.end(), some.begin(), some.end());
      }
      out.insert(out.end(), all.begin(), all.end());
      return;
    }
    default:
      return;
  }
}

std::string names(const std::vector<int>& powers) {
  std::string text;
  for (int power : powers) {
    if (!text.empty()) text += " ";
    text += printed_text(TokenMessage(GameBoard::power_token(power)));
  }
  return text;
}

}  // namespace

bool held_by(const RulesGame& game, int power, int province) {
  const Position& position = game.position();
  const auto unit = position.units.find(province);
  if (unit != position.units.end() && unit->second.power == power) return true;
  return game.map().supply_centre(province) &&
         position.owners[static_cast<std::size_t>(province)] == GameBoard::power_token(power);
}

Referee::Referee(int powers)
    : powers_(powers),
      made_(static_cast<std::size_t>(std::max(powers, 0))),
      broken_(static_cast<std::size_t>(std::max(powers, 0))) {}

void Referee::on_press(int sender, const std::vector<int>& recipients,
                       const press::PressMessage& message) {
  if (sender < 0 || sender >= powers_) return;
  using press::PressKind;
  const bool about_proposal =
      !message.answered.empty() && message.answered.front().kind == PressKind::kProposal;
  switch (message.kind) {
    case PressKind::kProposal:
      if (message.arrangement.kind == ArrangementKind::kNot)
        end(sender, message.arrangement.parts.front());
      propose(sender, recipients, message.arrangement);
      break;
    case PressKind::kFact:
      if (message.arrangement.kind == ArrangementKind::kNot)
        end(sender, message.arrangement.parts.front());
      break;
    case PressKind::kYes:
      if (about_proposal) accept(sender, recipients, message.answered.front().arrangement);
      break;
    case PressKind::kReject:
    case PressKind::kNoneOfYourBusiness:
      if (about_proposal) refuse(sender, recipients, message.answered.front().arrangement);
      break;
    case PressKind::kCancel: {
      if (!about_proposal) break;
      const TokenMessage printed =
          press::to_message(normalized(message.answered.front().arrangement));
      std::erase_if(proposals_, [&](const Proposal& p) {
        return p.proposer == sender && p.printed == printed;
      });
      break;
    }
    default:
      break;
  }
}

void Referee::propose(int sender, const std::vector<int>& recipients, const Arrangement& a) {
  Proposal proposal;
  proposal.proposer = sender;
  proposal.arrangement = normalized(a);
  proposal.printed = press::to_message(proposal.arrangement);
  proposal.movement_phases = movement_phases_;
  for (Token named : press::named_powers(a)) {
    if (contains(recipients, named.subtoken())) proposal.required.insert(named.subtoken());
  }
  if (proposal.required.empty()) proposal.required.insert(recipients.begin(), recipients.end());
  proposal.required.erase(sender);
  if (proposal.required.empty()) return;
  // Proposed again: the new one stands for both.
  std::erase_if(proposals_, [&](const Proposal& p) {
    return p.proposer == sender && p.printed == proposal.printed;
  });
  proposals_.push_back(std::move(proposal));
}

void Referee::accept(int sender, const std::vector<int>& recipients, const Arrangement& a) {
  const TokenMessage printed = press::to_message(normalized(a));
  for (std::size_t i = 0; i < proposals_.size(); ++i) {
    Proposal& p = proposals_[i];
    if (p.printed != printed || !contains(recipients, p.proposer) || !p.required.count(sender))
      continue;
    p.accepted.insert(sender);
    if (p.accepted == p.required) {
      const Proposal agreed = std::move(p);
      proposals_.erase(proposals_.begin() + static_cast<std::ptrdiff_t>(i));
      agree(agreed);
      return;
    }
  }
}

void Referee::refuse(int sender, const std::vector<int>& recipients, const Arrangement& a) {
  const TokenMessage printed = press::to_message(normalized(a));
  std::erase_if(proposals_, [&](const Proposal& p) {
    return p.printed == printed && contains(recipients, p.proposer) && p.required.count(sender);
  });
}

void Referee::agree(const Proposal& proposal) {
  std::vector<int> parties(proposal.required.begin(), proposal.required.end());
  parties.push_back(proposal.proposer);
  std::sort(parties.begin(), parties.end());
  // Two powers proposing the same to each other make one agreement, not two.
  for (const Agreement& held : agreements_) {
    if (!held.ending && !held.broken && held.parties == parties &&
        same(held.arrangement, proposal.arrangement))
      return;
  }
  Agreement agreement;
  agreement.id = next_id_++;
  agreement.arrangement = proposal.arrangement;
  agreement.parties = parties;
  for (int party : parties)
    ++made_[static_cast<std::size_t>(party)];
  events_.push_back("agreement " + std::to_string(agreement.id) + " made by " + names(parties) +
                    ": " + printed_text(proposal.printed));
  // A draw, a solo or the end of another agreement asks nothing of the orders.
  if (binds(agreement.arrangement)) agreements_.push_back(std::move(agreement));
}

void Referee::end(int power, const Arrangement& a) {
  const Arrangement wanted = normalized(a);
  for (Agreement& agreement : agreements_) {
    if (agreement.ending || !contains(agreement.parties, power) ||
        !same(agreement.arrangement, wanted))
      continue;
    agreement.ending = true;
    events_.push_back("agreement " + std::to_string(agreement.id) + " ended by " + names({power}) +
                      ": it binds until this phase is processed");
  }
}

std::vector<Breach> Referee::check(const RulesGame& game) {
  const PhaseView view{game, phase_kind(game.season())};
  std::vector<Breach> found;
  for (Agreement& agreement : agreements_) {
    for (int party : agreement.parties) {
      std::vector<Order> orders;
      violations(view, agreement, agreement.arrangement, party, orders);
      if (orders.empty()) continue;
      agreement.broken = true;
      ++broken_[static_cast<std::size_t>(party)];
      const TokenMessage arrangement = press::to_message(agreement.arrangement);
      for (const Order& order : orders) {
        Breach breach{party, agreement.id, agreement.parties, arrangement,
                      order_message(game.map(), game.position(), order)};
        events_.push_back("breach of agreement " + std::to_string(agreement.id) + " (" +
                          printed_text(arrangement) + ") by " + names({party}) + ": " +
                          printed_text(breach.order));
        found.push_back(breach);
        breaches_.push_back(std::move(breach));
      }
    }
  }
  return found;
}

void Referee::close_phase(Token season) {
  const int kind = phase_kind(season);
  for (Agreement& agreement : agreements_)
    agreement.phases_done[static_cast<std::size_t>(kind)] = true;
  std::erase_if(agreements_, [](const Agreement& a) {
    return a.ending || a.broken || !binds_after(a.arrangement, a.phases_done);
  });
  if (kind == kMovement) {
    ++movement_phases_;
    std::erase_if(proposals_,
                  [&](const Proposal& p) { return movement_phases_ > p.movement_phases + 1; });
  }
}

bool Referee::at_peace(int a, int b) const {
  for (const Agreement& agreement : agreements_) {
    std::set<int> partners;
    peace_partners(agreement.arrangement, a, agreement.parties, partners, true);
    if (partners.count(b)) return true;
  }
  return false;
}

Restrictions Referee::restrictions(int power, const RulesGame& game) const {
  const auto provinces = static_cast<std::size_t>(std::max(game.map().province_count(), 0));
  Restrictions result{std::vector<bool>(provinces), std::vector<bool>(provinces)};
  for (const Agreement& agreement : agreements_) {
    std::set<int> partners;
    peace_partners(agreement.arrangement, power, agreement.parties, partners, true);
    for (std::size_t p = 0; p < provinces; ++p) {
      for (int partner : partners) {
        if (held_by(game, partner, static_cast<int>(p))) result.no_attack[p] = true;
      }
    }
    std::set<int> zones;
    demilitarised(agreement.arrangement, power, agreement.parties, zones);
    for (int p : zones) {
      if (game.map().valid(p)) result.no_entry[static_cast<std::size_t>(p)] = true;
    }
  }
  return result;
}

std::vector<std::string> Referee::take_events() {
  std::vector<std::string> events;
  events.swap(events_);
  return events;
}

}  // namespace quorvel::rules
