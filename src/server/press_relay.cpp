#include "server/press_relay.h"

#include <algorithm>

#include "game/game_board.h"
#include "platform/daide_framing.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel::server {

namespace {

using namespace tok;

// Press is refused beyond this per power and phase: a flood from one client must not hold
// up the phase for the others, nor swell what everybody is sent.
constexpr int kPressPerPhase = 200;
constexpr long kPressTokensPerPhase = 100000;
constexpr int kMaxFrameTokens = static_cast<int>(platform::kMaxBodyBytes / 2);

// The first token of element i of the message: its BRA when it is bracketed.
int element_begin(const TokenMessage& message, int i) {
  const int start = message.sub_message_start(i);
  return message.sub_message_is_single_token(i) ? start : start - 1;
}

}  // namespace

TokenMessage framed(const TokenMessage& answer) {
  if (answer.length() <= kMaxFrameTokens) return answer;
  std::vector<Token> kept;
  int depth = 0;
  for (int i = 0; i < answer.length(); ++i) {
    const Token t = answer.token_at(i);
    const int after = depth + (t == BRA ? 1 : t == KET ? -1 : 0);
    if (static_cast<int>(kept.size()) + 1 + after > kMaxFrameTokens) break;
    kept.push_back(t);
    depth = after;
  }
  kept.insert(kept.end(), static_cast<std::size_t>(std::max(depth, 0)), KET);
  TokenMessage message;
  message.set_from_tokens(kept.data(), static_cast<int>(kept.size()));
  return message;
}

PressRelay::PressRelay(const GameVariant& variant, int powers)
    : variant_(variant),
      referee_(powers),
      delivered_(static_cast<std::size_t>(powers)),
      refused_(static_cast<std::size_t>(powers)),
      this_phase_(static_cast<std::size_t>(powers)),
      tokens_this_phase_(static_cast<std::size_t>(powers)) {}

void PressRelay::begin_phase() {
  std::fill(this_phase_.begin(), this_phase_.end(), 0);
  std::fill(tokens_this_phase_.begin(), tokens_this_phase_.end(), 0);
}

// SND (power ...) (press) or SND (turn) (power ...) (press).
int PressRelay::read(int sender, const TokenMessage& snd, const rules::RulesGame& game,
                     Pending& out, bool& names_sender) const {
  const int count = snd.sub_message_count();
  if (count < 3) return snd.length();
  if (count > 4) return element_begin(snd, 4);
  for (int i = 1; i < count; ++i) {
    if (snd.sub_message_is_single_token(i)) return element_begin(snd, i);
  }
  int element = 1;
  if (count == 4) {
    const TokenMessage turn = snd.sub_message(1);
    const int start = snd.sub_message_start(1);
    if (!is_season(turn.token_at(0))) return start;
    if (!turn.token_at(1).is_number()) return start + 1;
    if (turn.length() != 2) return start + 2;
    out.turn = std::make_pair(turn.token_at(0), turn.token_at(1).number());
    element = 2;
  }
  const TokenMessage to = snd.sub_message(element);
  const int start = snd.sub_message_start(element);
  for (int i = 0; i < to.length(); ++i) {
    const Token t = to.token_at(i);
    const int power = t.subtoken();
    const bool repeated = std::count(out.recipients.begin(), out.recipients.end(), power) > 0;
    if (t.category() != CATEGORY_POWER || !game.map().has_power(power) || repeated)
      return start + i;
    names_sender = names_sender || power == sender;
    out.recipients.push_back(power);
  }
  if (out.recipients.empty()) return start;
  out.press = snd.sub_message(element + 1);
  const int fault = press::read_press(out.press, std::min(variant_.level, press::kHighestLevel),
                                      game.map().power_count(), out.read);
  if (fault != -1) return snd.sub_message_start(element + 1) + fault;
  return -1;
}

void PressRelay::answer(const Pending& pending, const TokenMessage& answer, PressHost& host) {
  const Token kind = answer.first_token();
  if (kind == HUH || kind == REJ) ++refused_[static_cast<std::size_t>(pending.sender)];
  if (pending.client >= 0) host.answer_sender(pending.client, framed(answer));
}

void PressRelay::take(int sender, int client, const TokenMessage& snd, const rules::RulesGame& game,
                      std::optional<int> seconds_left, PressHost& host) {
  Pending pending;
  pending.sender = sender;
  pending.client = client;
  pending.snd = snd;
  // Not now, by the game's options: nothing else is looked at, nothing counted.
  if (!variant_.allows_press(game.season(), seconds_left)) {
    answer(pending, REJ & snd, host);
    return;
  }
  const auto s = static_cast<std::size_t>(sender);
  // Counted before anything else, so that a flood costs little to refuse.
  tokens_this_phase_[s] += snd.length();
  if (++this_phase_[s] > kPressPerPhase || tokens_this_phase_[s] > kPressTokensPerPhase) {
    answer(pending, REJ & snd, host);
    return;
  }
  bool names_sender = false;
  const int fault = read(sender, snd, game, pending, names_sender);
  if (fault != -1) {
    answer(pending, HUH & error_marked(snd, fault), host);
    return;
  }
  // Press to oneself, or too large to relay in a frame.
  if (names_sender || snd.length() + 3 > kMaxFrameTokens) {
    answer(pending, REJ & snd, host);
    return;
  }
  queue_.push_back(std::move(pending));
}

void PressRelay::deliver_round(const rules::RulesGame& game, std::optional<int> seconds_left,
                               PressHost& host) {
  std::deque<Pending> round;
  round.swap(queue_);
  for (const Pending& pending : round)
    deliver(pending, game, seconds_left, host);
}

void PressRelay::deliver(const Pending& pending, const rules::RulesGame& game,
                         std::optional<int> seconds_left, PressHost& host) {
  const rules::Position& position = game.position();
  const bool turn_over = pending.turn && (pending.turn->first != position.season ||
                                          pending.turn->second != position.year);
  if (turn_over || !variant_.allows_press(position.season, seconds_left)) {
    answer(pending, REJ & pending.snd, host);
    return;
  }
  for (int to : pending.recipients) {
    if (game.eliminated(to)) {
      answer(pending, OUT & GameBoard::power_token(to), host);
      return;
    }
  }
  for (int to : pending.recipients) {
    if (!host.hears_press(to)) {
      answer(pending, CCD & GameBoard::power_token(to), host);
      return;
    }
  }
  answer(pending, YES & pending.snd, host);
  const TokenMessage from = ((FRM & GameBoard::power_token(pending.sender)) &
                             GameBoard::power_tokens(pending.recipients)) &
                            pending.press;
  for (int to : pending.recipients)
    host.hand_over(to, from);
  ++delivered_[static_cast<std::size_t>(pending.sender)];
  referee_.on_press(pending.sender, pending.recipients, pending.read);
  host.delivered(pending.sender, pending.recipients, pending.press);
}

}  // namespace quorvel::server
