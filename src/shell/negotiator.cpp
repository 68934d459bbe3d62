#include "shell/negotiator.h"

#include <algorithm>
#include <set>

#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel {

namespace {

using namespace tok;
using press::PressKind;
using press::PressMessage;

// Press the bot would send within this much of the time the game stops press is held
// back: the server's clock started the phase a little before the bot heard of it.
constexpr int kPressSafetyMilliseconds = 1000;

std::string name(int power) {
  return printed_text(TokenMessage(GameBoard::power_token(power)));
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

PressMessage proposal_of(const press::Arrangement& arrangement) {
  return PressMessage{PressKind::kProposal, arrangement, {}, {}};
}

}  // namespace

Negotiator::Negotiator(const GameBoard& board, ProvinceValuation& valuation)
    : board_(board), valuation_(valuation) {}

int Negotiator::wait_milliseconds() const {
  int wait = settings_.wait_milliseconds;
  if (variant_.move_seconds > 0) {
    const int margin = std::min(settings_.deadline_margin * 1000, variant_.move_seconds * 500);
    wait = std::min(wait, variant_.move_seconds * 1000 - margin);
  }
  if (const auto closes = variant_.press_closes_after())
    wait = std::min(wait, *closes * 1000 - kPressSafetyMilliseconds);
  return std::max(wait, 0);
}

bool Negotiator::may_speak() const {
  if (!active() || !variant_.allows_press(board_.season, std::nullopt)) return false;
  return !press_closes_ || Clock::now() < *press_closes_;
}

void Negotiator::start_game(const TokenMessage& hello) {
  variant_ = read_variant(hello.sub_message(3));
  level_ = std::min({variant_.level, settings_.level, press::kHighestLevel});
  if (level_ < press::kPeaceLevel) level_ = 0;
  ledger_ = AgreementLedger(board_.power_count);
  standing_.assign(static_cast<std::size_t>(std::max(board_.power_count, 0)), Standing{});
  movement_phases_ = 0;
  season_.reset();
  results_.clear();
  awaiting_.clear();
  centre_owners_.clear();
  stable_years_ = 0;
  if (active()) trace("press: speaking at level " + std::to_string(level_));
}

bool Negotiator::trusts(int power) const {
  return !known(power) || movement_phases_ >= of(power).distrusted_until;
}

bool Negotiator::relies_on(int power) const {
  if (power == me() || !known(power) || !ledger_.at_peace(me(), power) || !trusts(power))
    return false;
  const Standing& s = of(power);
  return s.kept >= (s.cooperative ? settings_.cooperative_trust_after : settings_.trust_after);
}

TokenMessage Negotiator::send_message(const std::vector<int>& to, const TokenMessage& press) const {
  return press::send_message(board_.season, board_.year, GameBoard::power_tokens(to), press);
}

TokenMessage Negotiator::send(const std::vector<int>& to, const PressMessage& press) {
  ledger_.on_press(me(), to, press);
  return send_message(to, press::to_message(press));
}

TokenMessage Negotiator::cancel(const Proposal& proposal) const {
  return send_message(
      {proposal.required.begin(), proposal.required.end()},
      press::to_message(answer(PressKind::kCancel, proposal_of(proposal.arrangement))));
}

std::vector<int> Negotiator::judge_last_phase() {
  const PhaseKind last = phase_kind(*season_);
  std::vector<int> breakers;
  for (const Agreement& agreement : ledger_.agreements()) {
    if (!agreement.binds(me())) continue;
    for (int party : agreement.parties) {
      if (party == me() || !known(party)) continue;
      if (violations(agreement, party, last, holdings_, results_).empty()) {
        // Kept where it could have struck: that is what trust is made of.
        if (last == PhaseKind::kMovement && of(party).could_strike) ++of(party).kept;
        continue;
      }
      ledger_.mark_broken(agreement.id);
      ++of(party).broken;
      breakers.push_back(party);
      trace("press: " + name(party) + " broke agreement " + std::to_string(agreement.id) + " (" +
            printed_text(press::to_message(agreement.arrangement)) + ")");
    }
  }
  return breakers;
}

void Negotiator::note_aggression() {
  // Recent attacks count most.
  for (Standing& s : standing_)
    s.aggression *= 0.7;
  for (const OrderFacts& order : results_) {
    const int into = order.is_move()                         ? order.destination
                     : order.kind == OrderKind::kSupportMove ? order.target
                                                             : -1;
    if (order.power != me() && known(order.power) && holdings_.held_by(me(), into))
      of(order.power).aggression += 1.0;
  }
}

void Negotiator::stop_dealing(int breaker, std::vector<TokenMessage>& out) {
  of(breaker).distrusted_until = movement_phases_ + settings_.distrust_phases;
  // What it still proposes to the breaker is cancelled. Its own ledger keeps the proposals
  // (withdrawn): a YES the breaker sent before the cancel still binds.
  for (const Proposal& proposal : ledger_.proposals()) {
    if (proposal.proposer == me() && !proposal.withdrawn && proposal.required.count(breaker) &&
        may_speak())
      out.push_back(cancel(proposal));
  }
  ledger_.withdraw_proposals(me(), breaker);
}

void Negotiator::look_at_phase(Clock::time_point began) {
  season_ = board_.season;
  holdings_ = holdings_of(board_);
  press_closes_.reset();
  if (const auto closes = variant_.press_closes_after(); closes && is_movement_season(*season_))
    press_closes_ =
        began + std::chrono::seconds(*closes) - std::chrono::milliseconds(kPressSafetyMilliseconds);
  for (Standing& s : standing_) {
    s.could_strike = false;
    s.zone_refused = false;
  }
  for (const auto& [p, unit] : board_.units) {
    if (unit.power == me() || !known(unit.power)) continue;
    for (const Location& to : valuation_.adjacentLocations(unit.location)) {
      if (holdings_.held_by(me(), to.province)) of(unit.power).could_strike = true;
    }
  }
  // A year in which no centre changed hands brings a draw nearer.
  if (board_.season == SPR) {
    if (holdings_.centre_owner == centre_owners_) {
      ++stable_years_;
    } else {
      stable_years_ = 0;
      centre_owners_ = holdings_.centre_owner;
    }
  }
}

std::vector<TokenMessage> Negotiator::begin_phase(Clock::time_point began) {
  std::vector<TokenMessage> out;
  if (!active()) return out;
  if (season_) {
    const std::vector<int> breakers = judge_last_phase();
    ledger_.close_phase(*season_);
    if (phase_kind(*season_) == PhaseKind::kMovement) {
      ++movement_phases_;
      note_aggression();
    }
    look_at_phase(began);
    for (int breaker : breakers)
      stop_dealing(breaker, out);
  } else {
    look_at_phase(began);
  }
  results_.clear();
  awaiting_.clear();
  notices_.clear();
  follow_ups_.clear();
  view_.reset();
  orders_given_ = false;
  // Partners that keep their word are feared less; breakers are feared fully at once.
  for (int power = 0; power < static_cast<int>(standing_.size()); ++power) {
    const bool partner = relies_on(power);
    valuation_.setFearScale(power, !partner                ? 1.0
                                   : of(power).cooperative ? settings_.cooperative_fear
                                                           : settings_.partner_fear);
    valuation_.setFriendly(power, partner && settings_.trust_partners);
  }
  return out;
}

Obligations Negotiator::obligations() const {
  return ledger_.obligations(me(), kind(), holdings_, true);
}

std::optional<Obligations> Negotiator::partner_obligations(int power) const {
  if (!active() || power == me() || !relies_on(power)) return std::nullopt;
  return ledger_.obligations(power, kind(), holdings_);
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
  // A unit standing in a demilitarised zone leaves it.
  if (kind() == PhaseKind::kMovement) {
    for (const auto& [key, option] : options.options()) {
      const int at = option.location.province;
      if (option.power == me() && at >= 0 && at < static_cast<int>(bound.no_entry.size()) &&
          bound.no_entry[static_cast<std::size_t>(at)])
        options.evict(key);
    }
  }
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
    std::vector<PowerView> known_powers(standing_.size());
    for (std::size_t p = 0; p < standing_.size(); ++p) {
      const Standing& s = standing_[p];
      PowerView& v = known_powers[p];
      v.dealing = trusts(static_cast<int>(p));
      v.cooperative = s.cooperative;
      v.aggression = s.aggression;
      v.cooling = movement_phases_ < s.peace_ended + settings_.peace_cooldown;
      v.discerning = s.discerning;
    }
    view_ = view_turn(board_, valuation_, std::move(known_powers), settings_);
  }
  return *view_;
}

void Negotiator::end_unwanted_peace(std::vector<TokenMessage>& out) {
  std::vector<const Agreement*> ended;
  std::set<int> former;  // partners it ends peace with
  for (const Agreement& agreement : ledger_.agreements()) {
    if (agreement.ending || !agreement.binds(me()) || !brings_peace(agreement.arrangement))
      continue;
    std::string why;
    for (int party : agreement.parties) {
      if (party != me() && why.empty() && !worth_keeping(view(), party, settings_))
        why = name(party) + ": " + describe(view(), party);
    }
    if (why.empty()) continue;
    trace("press: ending " + printed_text(press::to_message(agreement.arrangement)) +
          " (no longer pays with " + why + ")");
    ended.push_back(&agreement);
    former.insert(agreement.parties.begin(), agreement.parties.end());
  }
  former.erase(me());
  // The borders kept free with them go with the peace.
  for (const Agreement& agreement : ledger_.agreements()) {
    const bool with_former =
        std::all_of(agreement.parties.begin(), agreement.parties.end(),
                    [&](int party) { return party == me() || former.count(party) > 0; });
    if (!agreement.ending && agreement.binds(me()) && with_former &&
        agreement.arrangement.kind == press::ArrangementKind::kDemilitarised) {
      trace("press: ending " + printed_text(press::to_message(agreement.arrangement)) +
            " with the peace");
      ended.push_back(&agreement);
    }
  }
  for (const Agreement* agreement : ended) {
    std::vector<int> others;
    for (int party : agreement->parties) {
      if (party == me()) continue;
      others.push_back(party);
      of(party).peace_ended = movement_phases_;
    }
    PressMessage notice{PressKind::kFact, {}, {}, {}};
    notice.arrangement.kind = press::ArrangementKind::kNot;
    notice.arrangement.parts.push_back(agreement->arrangement);
    // It ends only once delivered: until then the bot keeps it, whatever happens to it.
    const TokenMessage snd = send_message(others, press::to_message(notice));
    notices_.push_back({snd, others, notice});
    out.push_back(snd);
  }
}

std::vector<TokenMessage> Negotiator::open_phase() {
  std::vector<TokenMessage> out;
  if (!may_speak()) return out;
  view_.reset();
  end_unwanted_peace(out);
  // A power that never answered leaves proposals unanswered: not worth asking again.
  auto mute = [this](int power) { return !of(power).answered && of(power).ignored >= 2; };
  for (const Offer& offer : offers(view(), board_, valuation_, ledger_, settings_, level_)) {
    if (std::any_of(offer.to.begin(), offer.to.end(), mute)) continue;
    propose(offer.to, offer.arrangement, offer.why, out);
    if (offer.then && offer.to.size() == 1)
      follow_ups_.push_back({offer.to.front(), offer.arrangement, *offer.then, offer.why});
  }
  return out;
}

void Negotiator::propose(const std::vector<int>& to, const press::Arrangement& arrangement,
                         const std::string& why, std::vector<TokenMessage>& out) {
  AgreementLedger trial = ledger_;
  trial.on_press(me(), to, proposal_of(arrangement));
  if (!consistent(trial.obligations(me(), kind(), holdings_, true), holdings_)) return;
  trace("press: proposing " + printed_text(press::to_message(arrangement)) + " to " +
        power_names(to) + " (" + why + ")");
  out.push_back(send(to, proposal_of(arrangement)));
  for (int power : to)
    ++awaiting_[power];
}

void Negotiator::follow_up(std::vector<TokenMessage>& out) {
  for (auto it = follow_ups_.begin(); it != follow_ups_.end();) {
    if (!ledger_.agreed(it->after, me())) {
      ++it;
      continue;
    }
    if (may_speak() && !orders_given_) propose({it->to}, it->then, it->why, out);
    it = follow_ups_.erase(it);
  }
}

std::vector<TokenMessage> Negotiator::end_wait() {
  std::vector<TokenMessage> out;
  if (!active()) return out;
  for (const auto& [power, owed] : awaiting_) {
    if (owed > 0 && known(power) && !of(power).answered) ++of(power).ignored;
  }
  awaiting_.clear();
  for (const Proposal& proposal : ledger_.proposals()) {
    if (proposal.proposer != me() || proposal.withdrawn) continue;
    trace("press: withdrawing " + printed_text(proposal.printed) + ", unanswered");
    if (may_speak()) out.push_back(cancel(proposal));
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

std::optional<TokenMessage> Negotiator::draw_request() const {
  if (!active() || settings_.draw_years <= 0 || stable_years_ < settings_.draw_years)
    return std::nullopt;
  if (!variant_.partial_draws) return TokenMessage(DRW);
  // Everybody still in the game.
  std::vector<int> survivors;
  for (int power = 0; power < board_.power_count; ++power) {
    const bool units = std::any_of(board_.units.begin(), board_.units.end(),
                                   [power](const auto& u) { return u.second.power == power; });
    if (units || std::count(holdings_.centre_owner.begin(), holdings_.centre_owner.end(), power))
      survivors.push_back(power);
  }
  return DRW & GameBoard::power_tokens(survivors);
}

std::vector<TokenMessage> Negotiator::on_press(const TokenMessage& frm) {
  std::vector<TokenMessage> out;
  const Token from = frm.sub_message(1).token_at(0);
  if (from.category() != CATEGORY_POWER || !known(from.subtoken())) return out;
  const int sender = from.subtoken();
  std::vector<int> recipients;
  const TokenMessage listed = frm.sub_message(2);
  for (int i = 0; i < listed.length(); ++i) {
    const Token t = listed.token_at(i);
    if (t.category() == CATEGORY_POWER && known(t.subtoken())) recipients.push_back(t.subtoken());
  }
  const TokenMessage text = frm.sub_message(3);
  PressMessage message;
  const int fault = press::read_press(text, level_, board_.power_count, message);
  if (fault != -1) {
    trace("press: not understood from " + name(sender) + ": " + printed_text(text));
    if (!may_speak()) return out;
    out.push_back(send_message({sender}, HUH & error_marked(text, fault)));
    out.push_back(send_message({sender}, press::try_message(level_)));
    return out;
  }
  ledger_.on_press(sender, recipients, message);
  note_cooperation();
  of(sender).answered = true;
  if (message.kind == PressKind::kHuh) {
    awaiting_.erase(sender);
    return out;
  }
  if (message.is_reply()) {
    if (message.kind == PressKind::kReject) of(sender).discerning = true;
    auto owed = awaiting_.find(sender);
    if (owed != awaiting_.end() && owed->second > 0) --owed->second;
    trace("press: " + name(sender) + " answered " + printed_text(text));
    follow_up(out);
    return out;
  }
  if (message.kind != PressKind::kProposal) return out;
  if (!may_speak()) {
    trace("press: not answering " + printed_text(text) + " from " + name(sender) +
          ": the game allows no press now");
    return out;
  }

  Judgement judgement =
      judge(message.arrangement, sender, view(), board_, valuation_, ledger_, settings_);
  const auto kind_of = message.arrangement.kind;
  // Below level 30 peace with a free border comes as two proposals, the zone first: with
  // the zone refused, the peace that came with it goes too.
  if (judgement.accept && kind_of == press::ArrangementKind::kPeace && of(sender).zone_refused)
    judgement = {false, "the border that came with it was refused"};
  if (judgement.accept) {
    // What it accepts must agree with what it agreed, and with orders already given.
    std::vector<int> parties{sender, me()};
    std::sort(parties.begin(), parties.end());
    AgreementLedger trial = ledger_;
    trial.on_press(me(), {sender}, answer(PressKind::kYes, message));
    const Obligations bound = trial.obligations(me(), kind(), holdings_, true);
    if (!ledger_.contradicted_by(message.arrangement, parties).empty() ||
        !consistent(bound, holdings_)) {
      judgement = {false, "it would contradict what it agreed"};
    } else if (orders_given_ && !keeps(board_, bound)) {
      judgement = {false, "its orders for this phase are given"};
    }
  }
  if (!judgement.accept && kind_of == press::ArrangementKind::kDemilitarised)
    of(sender).zone_refused = true;
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
      if (party == me() || !known(party) || of(party).cooperative) continue;
      of(party).cooperative = true;
      view_.reset();  // judged anew from now on
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
