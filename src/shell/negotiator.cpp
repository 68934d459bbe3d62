#include "shell/negotiator.h"

#include <algorithm>

#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel {

namespace {

using namespace tok;
using press::PressKind;
using press::PressMessage;

std::string name(int power) {
  return printed_text(TokenMessage(GameBoard::power_token(power)));
}

TokenMessage power_list(const std::vector<int>& powers) {
  TokenMessage list;
  for (int power : powers)
    list = list + GameBoard::power_token(power);
  return list;
}

// Whether keeping the arrangement means peace with its other parties.
bool brings_peace(const press::Arrangement& a) {
  using press::ArrangementKind;
  if (a.kind == ArrangementKind::kPeace || a.kind == ArrangementKind::kAlliance) return true;
  return a.kind == ArrangementKind::kAnd &&
         std::any_of(a.parts.begin(), a.parts.end(), brings_peace);
}

PressMessage answer(PressKind kind, const PressMessage& to) {
  PressMessage reply;
  reply.kind = kind;
  reply.answered.push_back(to);
  return reply;
}

}  // namespace

Negotiator::Negotiator(const GameBoard& board, ProvinceValuation& valuation)
    : board_(board), valuation_(valuation) {}

int Negotiator::wait_milliseconds() const {
  int wait = settings_.wait_milliseconds;
  if (move_time_limit_ > 0)
    wait = std::min(wait, (move_time_limit_ - settings_.deadline_margin) * 1000);
  return std::max(wait, 0);
}

void Negotiator::start_game(const TokenMessage& hello) {
  int announced = 0;
  move_time_limit_ = 0;
  const TokenMessage variant = hello.sub_message(3);
  for (int i = 0; i < variant.sub_message_count(); ++i) {
    const TokenMessage option = variant.sub_message(i);
    if (option.token_at(0) == LVL && option.token_at(1).is_number())
      announced = option.token_at(1).number();
    if (option.token_at(0) == MTL && option.token_at(1).is_number())
      move_time_limit_ = option.token_at(1).number();
  }
  level_ = std::min({announced, settings_.level, press::kHighestLevel});
  if (level_ < 10) level_ = 0;
  const auto powers = static_cast<std::size_t>(std::max(board_.power_count, 0));
  ledger_ = AgreementLedger(board_.power_count);
  kept_.assign(powers, 0);
  broken_.assign(powers, 0);
  distrusted_until_.assign(powers, 0);
  aggression_.assign(powers, 0.0);
  cooperative_.assign(powers, false);
  peace_ended_.assign(powers, -1000);
  answered_.assign(powers, false);
  ignored_.assign(powers, 0);
  discerning_.assign(powers, false);
  movement_phases_ = 0;
  season_.reset();
  results_.clear();
  awaiting_.clear();
  if (active()) trace("press: speaking at level " + std::to_string(level_));
}

bool Negotiator::trusts(int power) const {
  return movement_phases_ >= at(distrusted_until_, power);
}

bool Negotiator::relies_on(int power) const {
  const bool cooperative = power >= 0 && power < static_cast<int>(cooperative_.size()) &&
                           cooperative_[static_cast<std::size_t>(power)];
  return power != me() && ledger_.at_peace(me(), power) && trusts(power) &&
         kept(power) >= (cooperative ? settings_.cooperative_trust_after : settings_.trust_after);
}

std::vector<bool> Negotiator::dealing() const {
  std::vector<bool> deal(static_cast<std::size_t>(std::max(board_.power_count, 0)));
  for (std::size_t p = 0; p < deal.size(); ++p)
    deal[p] = trusts(static_cast<int>(p));
  return deal;
}

std::vector<TokenMessage> Negotiator::begin_phase() {
  std::vector<TokenMessage> out;
  if (!active()) return out;
  if (season_) {
    // Who kept their word in the phase just processed, as its results show.
    const PhaseKind last = phase_kind(*season_);
    std::vector<int> breakers;
    for (const Agreement& agreement : ledger_.agreements()) {
      if (!agreement.binds(me())) continue;
      for (int party : agreement.parties) {
        if (party == me()) continue;
        if (violations(agreement, party, last, holdings_, results_).empty()) {
          // Kept where it could have struck: that is what trust is made of.
          if (last == PhaseKind::kMovement && could_strike_[static_cast<std::size_t>(party)])
            ++kept_[static_cast<std::size_t>(party)];
          continue;
        }
        ledger_.mark_broken(agreement.id);
        ++broken_[static_cast<std::size_t>(party)];
        breakers.push_back(party);
        trace("press: " + name(party) + " broke agreement " + std::to_string(agreement.id) + " (" +
              printed_text(press::to_message(agreement.arrangement)) + ")");
      }
    }
    ledger_.close_phase(*season_);
    if (last == PhaseKind::kMovement) {
      ++movement_phases_;
      // Who went for what the bot holds: recent attacks count most.
      for (double& a : aggression_)
        a *= 0.7;
      for (const OrderFacts& order : results_) {
        const int into = order.is_move()                         ? order.destination
                         : order.kind == OrderKind::kSupportMove ? order.target
                                                                 : -1;
        if (order.power != me() && order.power >= 0 &&
            order.power < static_cast<int>(aggression_.size()) && holdings_.held_by(me(), into))
          aggression_[static_cast<std::size_t>(order.power)] += 1.0;
      }
    }
    for (int breaker : breakers) {
      distrusted_until_[static_cast<std::size_t>(breaker)] =
          movement_phases_ + settings_.distrust_phases;
      // What it still proposes to the breaker is cancelled. Its own ledger keeps the
      // proposal (withdrawn): a YES the breaker sent before the cancel still binds.
      for (const Proposal& proposal : ledger_.proposals()) {
        if (proposal.proposer != me() || !proposal.required.count(breaker)) continue;
        PressMessage proposed{PressKind::kProposal, proposal.arrangement, {}, {}};
        out.push_back(
            (tok::SND & power_list({proposal.required.begin(), proposal.required.end()})) &
            press::to_message(answer(PressKind::kCancel, proposed)));
      }
      ledger_.withdraw_proposals(me(), breaker);
    }
  }
  season_ = board_.season;
  holdings_ = holdings_of(board_);
  could_strike_.assign(static_cast<std::size_t>(std::max(board_.power_count, 0)), false);
  for (const auto& [p, unit] : board_.units) {
    if (unit.power == me() || unit.power < 0 || unit.power >= board_.power_count) continue;
    for (const Location& to : valuation_.adjacentLocations(unit.location)) {
      if (holdings_.held_by(me(), to.province))
        could_strike_[static_cast<std::size_t>(unit.power)] = true;
    }
  }
  results_.clear();
  awaiting_.clear();
  notices_.clear();
  view_.reset();
  orders_given_ = false;
  // Partners that keep their word are feared less; breakers are feared fully at once.
  for (int power = 0; power < board_.power_count; ++power) {
    const bool partner = relies_on(power);
    const bool cooperative = cooperative_[static_cast<std::size_t>(power)];
    valuation_.setFearScale(power, !partner      ? 1.0
                                   : cooperative ? settings_.cooperative_fear
                                                 : settings_.partner_fear);
    valuation_.setFriendly(power, partner && settings_.trust_partners);
  }
  return out;
}

Obligations Negotiator::obligations() const {
  return ledger_.obligations(me(), kind(), holdings_, true);
}

std::vector<bool> Negotiator::barred() const {
  const Obligations bound = obligations();
  std::vector<bool> barred(bound.no_attack.size());
  for (std::size_t p = 0; p < barred.size(); ++p)
    barred[p] = bound.no_attack[p] || bound.no_entry[p];
  return barred;
}

void Negotiator::constrain(UnitOptionTable& options) const {
  if (!active()) return;
  const Obligations bound = obligations();
  options.forbid(me(), barred());
  for (const OrderFacts& promise : bound.promised) {
    const auto option = options.options().find(promise.unit);
    if (option == options.options().end()) continue;
    Location end = option->second.location;
    if (promise.is_move()) {
      for (const Location& place : option->second.candidates) {
        if (place.province == promise.destination) end = place;
      }
    }
    options.pin(promise.unit, end);
  }
  if (!settings_.trust_partners) return;
  // Trusted partners keep out of what the bot holds.
  std::vector<bool> mine(holdings_.unit_owner.size());
  for (std::size_t p = 0; p < mine.size(); ++p)
    mine[p] = holdings_.held_by(me(), static_cast<int>(p));
  for (int power = 0; power < board_.power_count; ++power) {
    if (relies_on(power)) options.forbid(power, mine);
  }
}

bool Negotiator::orders_keep_word() const {
  return keeps(board_, obligations());
}

void Negotiator::give_promised_orders(GameBoard& board) const {
  for (const OrderFacts& promise : obligations().promised) {
    switch (promise.kind) {
      case OrderKind::kSupportMove:
        board.order_support_move(promise.unit, promise.supported, promise.target);
        break;
      case OrderKind::kSupportHold:
        board.order_support_hold(promise.unit, promise.supported);
        break;
      case OrderKind::kHold:
        board.order_hold(promise.unit);
        break;
      default:
        // Moves are pinned in the plan itself; nothing else is promised.
        break;
    }
  }
}

const DiplomaticView& Negotiator::view() {
  if (!view_) {
    view_ = view_turn(board_, valuation_, dealing(), aggression_, cooperative_, settings_);
    for (std::size_t p = 0; p < view_->cooling.size() && p < peace_ended_.size(); ++p) {
      view_->cooling[p] = movement_phases_ < peace_ended_[p] + settings_.peace_cooldown;
      view_->discerning[p] = discerning_[p];
    }
  }
  return *view_;
}

TokenMessage Negotiator::send(const std::vector<int>& to, const PressMessage& press) {
  ledger_.on_press(me(), to, press);
  return (tok::SND & power_list(to)) & press::to_message(press);
}

std::vector<TokenMessage> Negotiator::open_phase() {
  std::vector<TokenMessage> out;
  if (!active()) return out;
  view_.reset();
  // Peace that no longer pays ends by notice; it binds through this phase.
  for (const Agreement& agreement : ledger_.agreements()) {
    if (agreement.ending || !agreement.binds(me()) || !brings_peace(agreement.arrangement))
      continue;
    std::vector<int> others;
    std::string why;
    for (int party : agreement.parties) {
      if (party == me()) continue;
      others.push_back(party);
      if (why.empty() && !worth_keeping(view(), party, settings_))
        why = name(party) + ": " + describe(view(), party);
    }
    if (why.empty()) continue;
    for (int party : others)
      peace_ended_[static_cast<std::size_t>(party)] = movement_phases_;
    PressMessage notice{PressKind::kFact, {}, {}, {}};
    notice.arrangement.kind = press::ArrangementKind::kNot;
    notice.arrangement.parts.push_back(agreement.arrangement);
    trace("press: ending " + printed_text(press::to_message(agreement.arrangement)) +
          " (no longer pays with " + why + ")");
    // It ends only once delivered: until then the bot keeps it, whatever happens to it.
    const TokenMessage snd = (tok::SND & power_list(others)) & press::to_message(notice);
    notices_.push_back({snd, others, notice});
    out.push_back(snd);
  }
  // A power that never answered leaves proposals unanswered: not worth asking again.
  auto mute = [this](int power) {
    return !answered_[static_cast<std::size_t>(power)] &&
           ignored_[static_cast<std::size_t>(power)] >= 2;
  };
  for (const Offer& offer : offers(view(), board_, valuation_, ledger_, settings_, level_)) {
    if (std::any_of(offer.to.begin(), offer.to.end(), mute)) continue;
    AgreementLedger trial = ledger_;
    trial.on_press(me(), offer.to, PressMessage{PressKind::kProposal, offer.arrangement, {}, {}});
    if (!consistent(trial.obligations(me(), kind(), holdings_, true), holdings_)) continue;
    trace("press: proposing " + printed_text(press::to_message(offer.arrangement)) + " to " +
          power_names(offer.to) + " (" + offer.why + ")");
    out.push_back(send(offer.to, PressMessage{PressKind::kProposal, offer.arrangement, {}, {}}));
    for (int power : offer.to)
      ++awaiting_[power];
  }
  return out;
}

std::vector<TokenMessage> Negotiator::end_wait() {
  std::vector<TokenMessage> out;
  if (!active()) return out;
  for (const auto& [power, owed] : awaiting_) {
    if (owed > 0 && !answered_[static_cast<std::size_t>(power)])
      ++ignored_[static_cast<std::size_t>(power)];
  }
  awaiting_.clear();
  for (const Proposal& proposal : ledger_.proposals()) {
    if (proposal.proposer != me() || proposal.withdrawn) continue;
    PressMessage proposed{PressKind::kProposal, proposal.arrangement, {}, {}};
    trace("press: withdrawing " + printed_text(proposal.printed) + ", unanswered");
    out.push_back((tok::SND & power_list({proposal.required.begin(), proposal.required.end()})) &
                  press::to_message(answer(PressKind::kCancel, proposed)));
  }
  ledger_.withdraw_proposals(me());
  return out;
}

bool Negotiator::waiting() const {
  return std::any_of(awaiting_.begin(), awaiting_.end(),
                     [](const auto& entry) { return entry.second > 0; });
}

void Negotiator::no_answer_from(int power) {
  awaiting_.erase(power);
}

void Negotiator::power_out(int power) {
  awaiting_.erase(power);
  if (active()) ledger_.remove_party(power);
}

void Negotiator::delivered(const TokenMessage& snd) {
  for (auto it = notices_.begin(); it != notices_.end(); ++it) {
    if (it->snd != snd) continue;
    ledger_.on_press(me(), it->to, it->press);
    notices_.erase(it);
    return;
  }
}

std::vector<TokenMessage> Negotiator::on_press(const TokenMessage& frm) {
  std::vector<TokenMessage> out;
  const Token from = frm.sub_message(1).token_at(0);
  if (from.category() != CATEGORY_POWER || from.subtoken() >= board_.power_count) return out;
  const int sender = from.subtoken();
  std::vector<int> recipients;
  const TokenMessage listed = frm.sub_message(2);
  for (int i = 0; i < listed.length(); ++i) {
    const Token t = listed.token_at(i);
    if (t.category() == CATEGORY_POWER && t.subtoken() < board_.power_count)
      recipients.push_back(t.subtoken());
  }
  const TokenMessage text = frm.sub_message(3);
  PressMessage message;
  const int fault = press::read_press(text, level_, board_.power_count, message);
  if (fault != -1) {
    trace("press: not understood from " + name(sender) + ": " + printed_text(text));
    out.push_back((tok::SND & power_list({sender})) & (HUH & error_marked(text, fault)));
    out.push_back((tok::SND & power_list({sender})) & press::try_message(level_));
    return out;
  }
  ledger_.on_press(sender, recipients, message);
  note_cooperation();
  answered_[static_cast<std::size_t>(sender)] = true;
  if (message.kind == PressKind::kHuh) {
    awaiting_.erase(sender);
    return out;
  }
  if (message.is_reply()) {
    if (message.kind == PressKind::kReject) discerning_[static_cast<std::size_t>(sender)] = true;
    auto owed = awaiting_.find(sender);
    if (owed != awaiting_.end() && owed->second > 0) --owed->second;
    trace("press: " + name(sender) + " answered " + printed_text(text));
    return out;
  }
  if (message.kind != PressKind::kProposal) return out;

  Judgement judgement =
      judge(message.arrangement, sender, view(), board_, valuation_, ledger_, settings_);
  if (judgement.accept) {
    // What it accepts must agree with what it agreed, and with orders already given.
    AgreementLedger trial = ledger_;
    trial.on_press(me(), {sender}, answer(PressKind::kYes, message));
    const Obligations bound = trial.obligations(me(), kind(), holdings_, true);
    if (!consistent(bound, holdings_)) {
      judgement = {false, "it would contradict what it agreed"};
    } else if (orders_given_ && !keeps(board_, bound)) {
      judgement = {false, "its orders for this phase are given"};
    }
  }
  trace(std::string("press: ") + (judgement.accept ? "accepting " : "rejecting ") +
        printed_text(text) + " from " + name(sender) + " (" + judgement.why + ")");
  out.push_back(
      send({sender}, answer(judgement.accept ? PressKind::kYes : PressKind::kReject, message)));
  note_cooperation();
  return out;
}

void Negotiator::on_result(const TokenMessage& ord) {
  if (!active()) return;
  if (const auto order = read_order_facts(ord.sub_message(2))) results_.push_back(*order);
}

void Negotiator::note_cooperation() {
  for (const Agreement& agreement : ledger_.agreements()) {
    const auto kind = agreement.arrangement.kind;
    if (!agreement.binds(me()) || kind == press::ArrangementKind::kPeace ||
        kind == press::ArrangementKind::kAlliance)
      continue;
    for (int party : agreement.parties) {
      if (party != me() && party < static_cast<int>(cooperative_.size()))
        cooperative_[static_cast<std::size_t>(party)] = true;
    }
  }
}

std::vector<std::string> Negotiator::take_trace() {
  std::vector<std::string> lines;
  lines.swap(trace_);
  for (std::string& event : ledger_.take_events())
    lines.push_back("press: " + event);
  return lines;
}

}  // namespace quorvel
