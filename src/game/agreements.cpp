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

// The arrangement as the ledger keeps it, printed: what tells two arrangements apart.
TokenMessage printed(const Arrangement& a) {
  return press::to_message(normalized(a));
}

bool same(const Arrangement& a, const Arrangement& b) {
  return press::to_message(a) == press::to_message(b);
}

std::vector<int> indexes(const std::vector<Token>& tokens) {
  std::vector<int> result;
  for (Token t : tokens)
    result.push_back(t.subtoken());
  return result;
}

bool contains(const std::vector<int>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Whether anything in it binds orders beyond the promises already settled: a promised
// order falls due once, in the first phase of its kind.
bool binds_after(const Terms& t, const PhasesDone& phases_done) {
  switch (t.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance:
    case ArrangementKind::kDemilitarised:
      return true;
    case ArrangementKind::kOrder:
      return t.order && !phases_done[at(phase_of(t.order->kind))];
    case ArrangementKind::kAnd:
    case ArrangementKind::kOr:
      return std::any_of(t.parts.begin(), t.parts.end(),
                         [&](const Terms& part) { return binds_after(part, phases_done); });
    default:
      return false;
  }
}

// The powers the arrangement puts at peace with power, among the parties; of an ORR only
// its first choice, when asked (what to keep in order to keep it).
void peace_partners(const Terms& t, int power, const std::vector<int>& parties, std::set<int>& out,
                    bool first_choice_only) {
  if (t.kind == ArrangementKind::kPeace || t.kind == ArrangementKind::kAlliance) {
    if (!contains(t.powers, power) || !contains(parties, power)) return;
    for (int other : t.powers) {
      if (other != power && contains(parties, other)) out.insert(other);
    }
  } else if (t.kind == ArrangementKind::kAnd) {
    for (const Terms& part : t.parts)
      peace_partners(part, power, parties, out, first_choice_only);
  } else if (t.kind == ArrangementKind::kOr && first_choice_only && !t.parts.empty()) {
    peace_partners(t.parts.front(), power, parties, out, first_choice_only);
  }
}

// What keeping the arrangement asks of the power in a phase of the kind.
void add_obligations(const Terms& t, int power, const std::vector<int>& parties, PhaseKind kind,
                     const PhasesDone& phases_done, const Holdings& holdings, Obligations& out) {
  switch (t.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance: {
      std::set<int> partners;
      peace_partners(t, power, parties, partners, true);
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
      if (!contains(t.powers, power) || !contains(parties, power)) return;
      for (int province : t.provinces) {
        if (province < static_cast<int>(out.no_entry.size()))
          out.no_entry[static_cast<std::size_t>(province)] = true;
      }
      return;
    case ArrangementKind::kOrder:
      if (t.order && t.order->power == power && contains(parties, power) &&
          phase_of(t.order->kind) == kind && !phases_done[at(kind)])
        out.promised.push_back(*t.order);
      return;
    case ArrangementKind::kAnd:
      for (const Terms& part : t.parts)
        add_obligations(part, power, parties, kind, phases_done, holdings, out);
      return;
    case ArrangementKind::kOr:
      if (!t.parts.empty())
        add_obligations(t.parts.front(), power, parties, kind, phases_done, holdings, out);
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

// Where the order sends a unit, its own or one it helps: a move, retreat or build, a
// supported move or a convoy.
int sends_into(const OrderFacts& order) {
  if (order.kind == OrderKind::kSupportMove || order.kind == OrderKind::kConvoy)
    return order.target;
  return order.entered();
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
    return gives(given, promised);
  }
  // No order: the unit holds, or disbands when dislodged.
  return promised.kind == (kind == PhaseKind::kRetreat ? OrderKind::kDisband : OrderKind::kHold);
}

void zone_violations(const Agreement& agreement, const Terms& zone, int party, PhaseKind kind,
                     const Holdings& holdings, const std::vector<OrderFacts>& orders,
                     std::vector<Violation>& out) {
  if (!contains(zone.powers, party)) return;
  std::set<int> ordered;
  for (std::size_t i = 0; i < orders.size(); ++i) {
    if (orders[i].power != party) continue;
    if (contains(zone.provinces, sends_into(orders[i]))) {
      out.push_back({static_cast<int>(i), orders[i].unit});
      ordered.insert(orders[i].unit);
    }
  }
  // A movement phase in force has passed: its units should have left by now.
  if (kind != PhaseKind::kMovement || !agreement.phases_done[at(PhaseKind::kMovement)]) return;
  for (int province : zone.provinces) {
    if (province < 0 || province >= static_cast<int>(holdings.unit_owner.size()) ||
        holdings.unit_owner[static_cast<std::size_t>(province)] != party || ordered.count(province))
      continue;
    Violation standing{-1, province};
    for (std::size_t i = 0; i < orders.size(); ++i) {
      if (orders[i].power == party && orders[i].unit == province &&
          orders[i].kind != OrderKind::kBuild)
        standing.order = static_cast<int>(i);
    }
    out.push_back(standing);
  }
}

void collect(const Agreement& agreement, const Terms& t, int party, PhaseKind kind,
             const Holdings& holdings, const std::vector<OrderFacts>& orders,
             std::vector<Violation>& out) {
  switch (t.kind) {
    case ArrangementKind::kPeace:
    case ArrangementKind::kAlliance: {
      if (kind != PhaseKind::kMovement) return;
      std::set<int> partners;
      peace_partners(t, party, agreement.parties, partners, false);
      for (std::size_t i = 0; i < orders.size(); ++i) {
        if (orders[i].power != party) continue;
        if (std::any_of(partners.begin(), partners.end(),
                        [&](int partner) { return attacks(orders[i], partner, holdings); }))
          out.push_back({static_cast<int>(i), orders[i].unit});
      }
      return;
    }
    case ArrangementKind::kDemilitarised:
      zone_violations(agreement, t, party, kind, holdings, orders, out);
      return;
    case ArrangementKind::kOrder: {
      if (!t.order || t.order->power != party || phase_of(t.order->kind) != kind ||
          agreement.phases_done[at(kind)])
        return;
      Violation found;
      if (!kept_promise(*t.order, party, kind, holdings, orders, found)) out.push_back(found);
      return;
    }
    case ArrangementKind::kAnd:
      for (const Terms& part : t.parts)
        collect(agreement, part, party, kind, holdings, orders, out);
      return;
    case ArrangementKind::kOr: {
      std::vector<Violation> all;
      for (const Terms& part : t.parts) {
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

// The pairs of powers that the terms put at peace, and those they set against each other,
// among the parties.
void relations(const Terms& t, const std::vector<int>& parties,
               std::set<std::pair<int, int>>& friends, std::set<std::pair<int, int>>& enemies) {
  auto pair = [](int a, int b) { return std::make_pair(std::min(a, b), std::max(a, b)); };
  if (t.kind != ArrangementKind::kPeace && t.kind != ArrangementKind::kAlliance) return;
  for (int a : t.powers) {
    if (!contains(parties, a)) continue;
    for (int b : t.powers) {
      if (b != a && contains(parties, b)) friends.insert(pair(a, b));
    }
    // Allies are set against their enemies whether or not those took part.
    for (int e : t.against)
      enemies.insert(pair(a, e));
  }
}

// Whether keeping one leaf of an arrangement means breaking the other, for powers that are
// parties of both.
bool leaves_clash(const Terms& a, const std::vector<int>& a_parties, const Terms& b,
                  const std::vector<int>& b_parties) {
  std::set<std::pair<int, int>> a_friends, a_enemies, b_friends, b_enemies;
  relations(a, a_parties, a_friends, a_enemies);
  relations(b, b_parties, b_friends, b_enemies);
  for (const auto& pair : a_enemies) {
    if (b_friends.count(pair)) return true;
  }
  for (const auto& pair : b_enemies) {
    if (a_friends.count(pair)) return true;
  }
  auto promise_against_zone = [](const Terms& promise, const std::vector<int>& promise_parties,
                                 const Terms& zone, const std::vector<int>& zone_parties) {
    if (promise.kind != ArrangementKind::kOrder || zone.kind != ArrangementKind::kDemilitarised ||
        !promise.order)
      return false;
    const int power = promise.order->power;
    return contains(promise_parties, power) && contains(zone_parties, power) &&
           contains(zone.powers, power) && contains(zone.provinces, sends_into(*promise.order));
  };
  if (promise_against_zone(a, a_parties, b, b_parties) ||
      promise_against_zone(b, b_parties, a, a_parties))
    return true;
  // Two different orders promised for one unit in the same kind of phase.
  if (a.kind == ArrangementKind::kOrder && b.kind == ArrangementKind::kOrder && a.order &&
      b.order && a.order->kind != OrderKind::kWaive && a.order->power == b.order->power &&
      a.order->unit == b.order->unit && phase_of(a.order->kind) == phase_of(b.order->kind) &&
      !gives(*a.order, *b.order))
    return true;
  return false;
}

// Whether the arrangements cannot both be kept: of an AND any part, of an ORR every choice.
bool clash(const Terms& a, const std::vector<int>& a_parties, const Terms& b,
           const std::vector<int>& b_parties) {
  auto with_b = [&](const Terms& part) { return clash(part, a_parties, b, b_parties); };
  auto with_a = [&](const Terms& part) { return clash(a, a_parties, part, b_parties); };
  if (a.kind == ArrangementKind::kAnd) return std::any_of(a.parts.begin(), a.parts.end(), with_b);
  if (b.kind == ArrangementKind::kAnd) return std::any_of(b.parts.begin(), b.parts.end(), with_a);
  if (a.kind == ArrangementKind::kOr)
    return !a.parts.empty() && std::all_of(a.parts.begin(), a.parts.end(), with_b);
  if (b.kind == ArrangementKind::kOr)
    return !b.parts.empty() && std::all_of(b.parts.begin(), b.parts.end(), with_a);
  return leaves_clash(a, a_parties, b, b_parties);
}

std::vector<int> parties_of(const Proposal& proposal) {
  std::vector<int> parties(proposal.required.begin(), proposal.required.end());
  parties.push_back(proposal.proposer);
  std::sort(parties.begin(), parties.end());
  return parties;
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

Terms terms_of(const press::Arrangement& a) {
  Terms t;
  t.kind = a.kind;
  t.powers = indexes(a.powers);
  t.against = indexes(a.against);
  t.provinces = indexes(a.provinces);
  if (a.kind == ArrangementKind::kOrder) t.order = read_order_facts(a.order);
  for (const Arrangement& part : a.parts)
    t.parts.push_back(terms_of(part));
  return t;
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
    case PressKind::kCancel:
      if (!message.answered.empty()) cancel(sender, recipients, message.answered.front());
      break;
    default:
      break;
  }
}

void AgreementLedger::propose(int sender, const std::vector<int>& recipients,
                              const Arrangement& a) {
  Proposal proposal;
  proposal.proposer = sender;
  proposal.arrangement = normalized(a);
  proposal.terms = terms_of(proposal.arrangement);
  proposal.printed = press::to_message(proposal.arrangement);
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
  const TokenMessage wanted = printed(a);
  for (std::size_t i = 0; i < proposals_.size(); ++i) {
    Proposal& p = proposals_[i];
    if (p.printed != wanted || !contains(recipients, p.proposer) || !p.required.count(sender))
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
  const TokenMessage wanted = printed(a);
  std::erase_if(proposals_, [&](const Proposal& p) {
    return p.printed == wanted && contains(recipients, p.proposer) && p.required.count(sender);
  });
}

void AgreementLedger::cancel(int sender, const std::vector<int>& recipients,
                             const press::PressMessage& what) {
  using press::PressKind;
  if (what.kind == PressKind::kProposal) {
    // The proposer withdraws it.
    const TokenMessage wanted = printed(what.arrangement);
    std::erase_if(proposals_,
                  [&](const Proposal& p) { return p.proposer == sender && p.printed == wanted; });
    return;
  }
  // A recipient takes its YES back while others have still to answer.
  if (what.kind != PressKind::kYes || what.answered.empty() ||
      what.answered.front().kind != PressKind::kProposal)
    return;
  const TokenMessage wanted = printed(what.answered.front().arrangement);
  for (Proposal& p : proposals_) {
    if (p.printed == wanted && contains(recipients, p.proposer)) p.accepted.erase(sender);
  }
}

void AgreementLedger::agree(const Proposal& proposal) {
  const std::vector<int> parties = parties_of(proposal);
  // Two powers proposing the same to each other make one agreement, not two.
  for (const Agreement& held : agreements_) {
    if (!held.ending && !held.broken && held.parties == parties &&
        same(held.arrangement, proposal.arrangement))
      return;
  }
  Agreement agreement;
  agreement.id = next_id_++;
  agreement.arrangement = proposal.arrangement;
  agreement.terms = proposal.terms;
  agreement.parties = parties;
  agreement.phases_done = proposal.phases_done;
  for (int party : parties)
    ++made_[static_cast<std::size_t>(party)];
  events_.push_back("agreement " + std::to_string(agreement.id) + " made by " +
                    power_names(parties) + ": " + printed_text(proposal.printed));
  // The later of two agreements that cannot both be kept stands.
  for (int id : contradicted_by(proposal.arrangement, parties)) {
    std::erase_if(agreements_, [id](const Agreement& held) { return held.id == id; });
    events_.push_back("agreement " + std::to_string(id) + " ended: agreement " +
                      std::to_string(agreement.id) + " contradicts it");
  }
  // A draw, a solo, the end of another agreement or a promise already due asks nothing
  // more of the orders.
  if (binds_after(agreement.terms, agreement.phases_done))
    agreements_.push_back(std::move(agreement));
}

std::vector<int> AgreementLedger::contradicted_by(const press::Arrangement& arrangement,
                                                  const std::vector<int>& parties) const {
  const Terms terms = terms_of(normalized(arrangement));
  std::vector<int> ended;
  for (const Agreement& held : agreements_) {
    if (clash(terms, parties, held.terms, held.parties)) ended.push_back(held.id);
  }
  return ended;
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

void AgreementLedger::withdraw_proposals(int power, std::optional<int> recipient) {
  for (Proposal& proposal : proposals_) {
    if (proposal.proposer == power && (!recipient || proposal.required.count(*recipient)))
      proposal.withdrawn = true;
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
    return a.ending || a.broken || !binds_after(a.terms, a.phases_done);
  });
  for (Proposal& proposal : proposals_) {
    proposal.phases_done[at(kind)] = true;
    if (!proposal.made_in_movement) proposal.made_in_movement = kind == PhaseKind::kMovement;
    if (kind == PhaseKind::kMovement) ++proposal.movement_phases_closed;
  }
  // Not agreed by the end of the next movement phase: it lapses.
  std::erase_if(proposals_, [](const Proposal& p) {
    return p.movement_phases_closed >= (*p.made_in_movement ? 2 : 1);
  });
}

bool AgreementLedger::agreed(const press::Arrangement& arrangement, int party) const {
  const TokenMessage wanted = printed(arrangement);
  return std::any_of(agreements_.begin(), agreements_.end(), [&](const Agreement& a) {
    return a.binds(party) && !a.ending && press::to_message(a.arrangement) == wanted;
  });
}

bool AgreementLedger::proposed(const press::Arrangement& arrangement, int power) const {
  const TokenMessage wanted = printed(arrangement);
  return std::any_of(proposals_.begin(), proposals_.end(),
                     [&](const Proposal& p) { return p.proposer == power && p.printed == wanted; });
}

bool AgreementLedger::at_peace(int a, int b) const {
  for (const Agreement& agreement : agreements_) {
    std::set<int> partners;
    peace_partners(agreement.terms, a, agreement.parties, partners, true);
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
    add_obligations(agreement.terms, power, agreement.parties, kind, agreement.phases_done,
                    holdings, result);
  }
  if (!own_proposals) return result;
  for (const Proposal& proposal : proposals_) {
    if (proposal.proposer != power || !proposal.current()) continue;
    add_obligations(proposal.terms, power, parties_of(proposal), kind, proposal.phases_done,
                    holdings, result);
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
  if (marked(obligations.no_entry, sends_into(order))) return true;
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
  for (const OrderFacts& order : obligations.promised) {
    if (order.kind != OrderKind::kWaive && !units.insert(order.unit).second) return false;
    if (forbidden(order, obligations, holdings)) return false;
  }
  return true;
}

bool gives(const OrderFacts& given, const OrderFacts& promised) {
  return given.kind == promised.kind && given.destination == promised.destination &&
         given.supported == promised.supported && given.target == promised.target;
}

std::vector<Violation> violations(const Agreement& agreement, int party, PhaseKind kind,
                                  const Holdings& holdings, const std::vector<OrderFacts>& orders) {
  std::vector<Violation> found;
  if (contains(agreement.parties, party))
    collect(agreement, agreement.terms, party, kind, holdings, orders, found);
  return found;
}

}  // namespace quorvel
