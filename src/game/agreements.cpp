#include "game/agreements.h"

#include <algorithm>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel {

namespace {

using press::Arrangement;
using press::ArrangementKind;

std::size_t at(PhaseKind kind) {
  return static_cast<std::size_t>(kind);
}

// The kind of phase in which an order is given.
PhaseKind phase_of(OrderKind kind) {
  switch (kind) {
    case OrderKind::kRetreat:
    case OrderKind::kDisband:
      return PhaseKind::kRetreat;
    case OrderKind::kBuild:
    case OrderKind::kRemove:
    case OrderKind::kWaive:
      return PhaseKind::kAdjustment;
    default:
      return PhaseKind::kMovement;
  }
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

// Whether anything in it binds orders beyond the promises already settled: a promised
// order falls due once, in the first phase of its kind.
bool binds_after(const Arrangement& a, const std::array<bool, 3>& phases_done) {
  switch (a.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance:
    case ArrangementKind::kDemilitarised:
      return true;
    case ArrangementKind::kOrder: {
      const auto promised = read_order_facts(a.order);
      return promised && !phases_done[at(phase_of(promised->kind))];
    }
    case ArrangementKind::kAnd:
    case ArrangementKind::kOr:
      return std::any_of(a.parts.begin(), a.parts.end(),
                         [&](const Arrangement& part) { return binds_after(part, phases_done); });
    default:
      return false;
  }
}

// The powers the arrangement puts at peace with power, among the parties; of an ORR only
// its first choice, when asked (what to keep in order to keep it).
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

// What keeping the arrangement asks of the power in a phase of the kind.
void add_obligations(const Arrangement& a, int power, const std::vector<int>& parties,
                     PhaseKind kind, const std::array<bool, 3>& phases_done,
                     const Holdings& holdings, Obligations& out) {
  switch (a.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance: {
      std::set<int> partners;
      peace_partners(a, power, parties, partners, true);
      for (std::size_t p = 0; p < out.no_attack.size(); ++p) {
        for (int partner : partners) {
          if (!holdings.held_by(partner, static_cast<int>(p))) continue;
          out.no_attack[p] = true;
          if (partner < 64) out.protected_by[p] |= std::uint64_t{1} << partner;
        }
      }
      return;
    }
    case ArrangementKind::kDemilitarised:
      if (!contains(indexes(a.powers), power) || !contains(parties, power)) return;
      for (Token province : a.provinces) {
        if (province.subtoken() < static_cast<int>(out.no_entry.size()))
          out.no_entry[static_cast<std::size_t>(province.subtoken())] = true;
      }
      return;
    case ArrangementKind::kOrder: {
      const auto promised = read_order_facts(a.order);
      if (promised && promised->power == power && contains(parties, power) &&
          phase_of(promised->kind) == kind && !phases_done[at(kind)])
        out.promised.push_back(a.order);
      return;
    }
    case ArrangementKind::kAnd:
      for (const Arrangement& part : a.parts)
        add_obligations(part, power, parties, kind, phases_done, holdings, out);
      return;
    case ArrangementKind::kOr:
      if (!a.parts.empty())
        add_obligations(a.parts.front(), power, parties, kind, phases_done, holdings, out);
      return;
    default:
      return;
  }
}

// A move into, or a support of a move into, what a partner holds: a support of the
// partner's own move excepted.
bool attacks(const OrderFacts& order, int partner, const Holdings& holdings) {
  int target = -1;
  if (order.is_move()) {
    target = order.destination;
  } else if (order.kind == OrderKind::kSupportMove) {
    target = order.target;
    if (order.supported >= 0 && order.supported < static_cast<int>(holdings.unit_owner.size()) &&
        holdings.unit_owner[static_cast<std::size_t>(order.supported)] == partner)
      return false;
  }
  return target >= 0 && holdings.held_by(partner, target);
}

bool kept_promise(const OrderFacts& promised, int party, PhaseKind kind, const Holdings& holdings,
                  const std::vector<OrderFacts>& orders, Violation& found) {
  found = Violation{-1, promised.unit};
  if (promised.kind == OrderKind::kWaive || promised.kind == OrderKind::kBuild ||
      promised.kind == OrderKind::kRemove) {
    return std::any_of(orders.begin(), orders.end(), [&](const OrderFacts& o) {
      return o.power == party && o.kind == promised.kind &&
             (promised.kind == OrderKind::kWaive || o.unit == promised.unit);
    });
  }
  // A promise for a unit that is gone lapses.
  if (kind == PhaseKind::kMovement &&
      (promised.unit < 0 || promised.unit >= static_cast<int>(holdings.unit_owner.size()) ||
       holdings.unit_owner[static_cast<std::size_t>(promised.unit)] != party))
    return true;
  for (std::size_t i = 0; i < orders.size(); ++i) {
    const OrderFacts& given = orders[i];
    if (given.power != party || given.unit != promised.unit || given.kind == OrderKind::kBuild)
      continue;
    found.order = static_cast<int>(i);
    return given.kind == promised.kind && given.destination == promised.destination &&
           given.supported == promised.supported && given.target == promised.target;
  }
  // No order: the unit holds, or disbands when dislodged.
  return promised.kind == (kind == PhaseKind::kRetreat ? OrderKind::kDisband : OrderKind::kHold);
}

void collect(const Agreement& agreement, const Arrangement& a, int party, PhaseKind kind,
             const Holdings& holdings, const std::vector<OrderFacts>& orders,
             std::vector<Violation>& out) {
  switch (a.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance: {
      if (kind != PhaseKind::kMovement) return;
      std::set<int> partners;
      peace_partners(a, party, agreement.parties, partners, false);
      for (std::size_t i = 0; i < orders.size(); ++i) {
        if (orders[i].power != party) continue;
        if (std::any_of(partners.begin(), partners.end(),
                        [&](int partner) { return attacks(orders[i], partner, holdings); }))
          out.push_back({static_cast<int>(i), orders[i].unit});
      }
      return;
    }
    case ArrangementKind::kDemilitarised:
      if (!contains(indexes(a.powers), party)) return;
      for (std::size_t i = 0; i < orders.size(); ++i) {
        const int into = orders[i].entered();
        if (orders[i].power == party && into >= 0 &&
            std::any_of(a.provinces.begin(), a.provinces.end(),
                        [into](Token p) { return p.subtoken() == into; }))
          out.push_back({static_cast<int>(i), orders[i].unit});
      }
      return;
    case ArrangementKind::kOrder: {
      const auto promised = read_order_facts(a.order);
      if (!promised || promised->power != party || phase_of(promised->kind) != kind ||
          agreement.phases_done[at(kind)])
        return;
      Violation found;
      if (!kept_promise(*promised, party, kind, holdings, orders, found)) out.push_back(found);
      return;
    }
    case ArrangementKind::kAnd:
      for (const Arrangement& part : a.parts)
        collect(agreement, part, party, kind, holdings, orders, out);
      return;
    case ArrangementKind::kOr: {
      std::vector<Violation> all;
      for (const Arrangement& part : a.parts) {
        std::vector<Violation> some;
        collect(agreement, part, party, kind, holdings, orders, some);
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

// Whether the arrangement asks anything of the orders at all.
bool binds_orders(const Arrangement& a) {
  return binds_after(a, {});
}

}  // namespace

bool Holdings::held_by(int power, int province) const {
  if (province < 0) return false;
  const auto p = static_cast<std::size_t>(province);
  return (p < unit_owner.size() && unit_owner[p] == power) ||
         (p < centre_owner.size() && centre_owner[p] == power);
}

PhaseKind phase_kind(Token season) {
  if (is_movement_season(season)) return PhaseKind::kMovement;
  if (is_retreat_season(season)) return PhaseKind::kRetreat;
  return PhaseKind::kAdjustment;
}

bool Agreement::binds(int power) const {
  return contains(parties, power);
}

std::string power_names(const std::vector<int>& powers) {
  std::string text;
  for (int power : powers) {
    if (!text.empty()) text += " ";
    text += printed_text(TokenMessage(GameBoard::power_token(power)));
  }
  return text;
}

AgreementLedger::AgreementLedger(int powers)
    : powers_(powers), made_(static_cast<std::size_t>(std::max(powers, 0))) {}

void AgreementLedger::on_press(int sender, const std::vector<int>& recipients,
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
    case PressKind::kHuh: {
      // A proposal not understood cannot be agreed: read with the ERR taken out, it is
      // refused.
      std::vector<Token> tokens;
      for (int i = 0; i < message.tokens.length(); ++i) {
        if (message.tokens.token_at(i) != tok::ERR) tokens.push_back(message.tokens.token_at(i));
      }
      TokenMessage text;
      press::PressMessage understood;
      if (text.set_from_tokens(tokens.data(), static_cast<int>(tokens.size())) == -1 &&
          press::read_press(text, press::kHighestLevel, powers_, understood) == -1 &&
          understood.kind == PressKind::kProposal)
        refuse(sender, recipients, understood.arrangement);
      break;
    }
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

void AgreementLedger::propose(int sender, const std::vector<int>& recipients,
                              const Arrangement& a) {
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

void AgreementLedger::accept(int sender, const std::vector<int>& recipients, const Arrangement& a) {
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

void AgreementLedger::refuse(int sender, const std::vector<int>& recipients, const Arrangement& a) {
  const TokenMessage printed = press::to_message(normalized(a));
  std::erase_if(proposals_, [&](const Proposal& p) {
    return p.printed == printed && contains(recipients, p.proposer) && p.required.count(sender);
  });
}

void AgreementLedger::agree(const Proposal& proposal) {
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
  events_.push_back("agreement " + std::to_string(agreement.id) + " made by " +
                    power_names(parties) + ": " + printed_text(proposal.printed));
  // A draw, a solo or the end of another agreement asks nothing of the orders.
  if (binds_orders(agreement.arrangement)) agreements_.push_back(std::move(agreement));
}

void AgreementLedger::end(int power, const Arrangement& a) {
  const Arrangement wanted = normalized(a);
  for (Agreement& agreement : agreements_) {
    if (agreement.ending || !contains(agreement.parties, power) ||
        !same(agreement.arrangement, wanted))
      continue;
    agreement.ending = true;
    events_.push_back("agreement " + std::to_string(agreement.id) + " ended by " +
                      power_names({power}) + ": it binds until this phase is processed");
  }
}

void AgreementLedger::remove_party(int power) {
  for (Agreement& agreement : agreements_)
    std::erase(agreement.parties, power);
  std::erase_if(agreements_, [](const Agreement& a) { return a.parties.size() < 2; });
  std::erase_if(proposals_, [power](const Proposal& p) {
    return p.proposer == power || p.required.count(power) > 0;
  });
}

void AgreementLedger::withdraw_proposals(int power) {
  for (Proposal& proposal : proposals_) {
    if (proposal.proposer == power) proposal.withdrawn = true;
  }
}

void AgreementLedger::mark_broken(int id) {
  for (Agreement& agreement : agreements_) {
    if (agreement.id == id) agreement.broken = true;
  }
}

void AgreementLedger::close_phase(Token season) {
  const PhaseKind kind = phase_kind(season);
  for (Agreement& agreement : agreements_)
    agreement.phases_done[at(kind)] = true;
  std::erase_if(agreements_, [](const Agreement& a) {
    return a.ending || a.broken || !binds_after(a.arrangement, a.phases_done);
  });
  if (kind == PhaseKind::kMovement) {
    ++movement_phases_;
    std::erase_if(proposals_,
                  [&](const Proposal& p) { return movement_phases_ > p.movement_phases + 1; });
  }
}

bool AgreementLedger::at_peace(int a, int b) const {
  for (const Agreement& agreement : agreements_) {
    std::set<int> partners;
    peace_partners(agreement.arrangement, a, agreement.parties, partners, true);
    if (partners.count(b)) return true;
  }
  return false;
}

Obligations AgreementLedger::obligations(int power, PhaseKind kind, const Holdings& holdings,
                                         bool own_proposals) const {
  const std::size_t provinces = std::max(holdings.unit_owner.size(), holdings.centre_owner.size());
  Obligations result{std::vector<bool>(provinces),
                     std::vector<std::uint64_t>(provinces),
                     std::vector<bool>(provinces),
                     {}};
  for (const Agreement& agreement : agreements_) {
    add_obligations(agreement.arrangement, power, agreement.parties, kind, agreement.phases_done,
                    holdings, result);
  }
  if (!own_proposals) return result;
  for (const Proposal& proposal : proposals_) {
    if (proposal.proposer != power || proposal.movement_phases != movement_phases_ ||
        proposal.withdrawn)
      continue;
    std::vector<int> parties(proposal.required.begin(), proposal.required.end());
    parties.push_back(power);
    add_obligations(proposal.arrangement, power, parties, kind, {}, holdings, result);
  }
  return result;
}

std::vector<std::string> AgreementLedger::take_events() {
  std::vector<std::string> events;
  events.swap(events_);
  return events;
}

bool forbidden(const OrderFacts& order, const Obligations& obligations, const Holdings& holdings) {
  auto marked = [](const auto& mask, int q) {
    return q >= 0 && q < static_cast<int>(mask.size()) && mask[static_cast<std::size_t>(q)];
  };
  if (marked(obligations.no_entry, order.entered())) return true;
  if (order.is_move() && marked(obligations.no_attack, order.destination)) return true;
  if (order.kind != OrderKind::kSupportMove || !marked(obligations.no_attack, order.target))
    return false;
  // Helping a partner's own unit into what that partner alone holds is no attack.
  const int helped =
      order.supported >= 0 && order.supported < static_cast<int>(holdings.unit_owner.size())
          ? holdings.unit_owner[static_cast<std::size_t>(order.supported)]
          : -1;
  const std::uint64_t protectors =
      order.target < static_cast<int>(obligations.protected_by.size())
          ? obligations.protected_by[static_cast<std::size_t>(order.target)]
          : 0;
  return helped < 0 || helped >= 64 || protectors != (std::uint64_t{1} << helped);
}

bool consistent(const Obligations& obligations, const Holdings& holdings) {
  std::set<int> units;
  for (const TokenMessage& promised : obligations.promised) {
    const auto order = read_order_facts(promised);
    if (!order) continue;
    if (order->kind != OrderKind::kWaive && !units.insert(order->unit).second) return false;
    if (forbidden(*order, obligations, holdings)) return false;
  }
  return true;
}

std::vector<Violation> violations(const Agreement& agreement, int party, PhaseKind kind,
                                  const Holdings& holdings, const std::vector<OrderFacts>& orders) {
  std::vector<Violation> found;
  if (contains(agreement.parties, party))
    collect(agreement, agreement.arrangement, party, kind, holdings, orders, found);
  return found;
}

}  // namespace quorvel
