#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/game_variant.h"
#include "protocol/press.h"
#include "protocol/token_message.h"
#include "rules/referee.h"
#include "rules/rules_game.h"

namespace quorvel::server {

// What the press of a game needs of its host: who can hear press, and where answers and
// press go.
class PressHost {
 public:
  virtual ~PressHost() = default;
  // Whether a recipient hears press now: a client's power nobody plays does not.
  virtual bool hears_press(int power) const = 0;
  // The sender's one answer, to its connection.
  virtual void answer_sender(int client, const TokenMessage& answer) = 0;
  // The press, as FRM, to one recipient.
  virtual void hand_over(int recipient, const TokenMessage& frm) = 0;
  // The press reached all its recipients and the referee has seen it: house players
  // among the recipients may answer.
  virtual void delivered(int sender, const std::vector<int>& recipients,
                         const TokenMessage& press) = 0;
};

// The press of a game with press: each SND read at the game's level and answered once,
// refused where the game's options forbid press and beyond a power's allowance, delivered
// to its recipients and to nobody else, and shown to the referee.
class PressRelay {
 public:
  PressRelay(const GameVariant& variant, int powers);

  // Press from a player of the game; client is its connection, -1 for a house player. It
  // is answered at once when refused, else delivered at the next round.
  void take(int sender, int client, const TokenMessage& snd, const rules::RulesGame& game,
            std::optional<int> seconds_left, PressHost& host);
  bool pending() const { return !queue_.empty(); }
  // Delivers the press sent so far, in the order it was sent; what it provokes waits for
  // the next round.
  void deliver_round(const rules::RulesGame& game, std::optional<int> seconds_left,
                     PressHost& host);
  // A new phase: a new allowance for every power.
  void begin_phase();

  // Press of the power that was delivered, and that got HUH or REJ.
  int delivered(int power) const { return delivered_[static_cast<std::size_t>(power)]; }
  int refused(int power) const { return refused_[static_cast<std::size_t>(power)]; }
  rules::Referee& referee() { return referee_; }
  const rules::Referee& referee() const { return referee_; }

 private:
  struct Pending {
    int sender = -1;
    int client = -1;
    TokenMessage snd;
    std::optional<std::pair<Token, int>> turn;  // to deliver only in this turn
    std::vector<int> recipients;
    TokenMessage press;
    press::PressMessage read;
  };
  // -1 when it reads, else the token at fault; names_sender when it reads but the sender
  // is among its recipients.
  int read(int sender, const TokenMessage& snd, const rules::RulesGame& game, Pending& out,
           bool& names_sender) const;
  void answer(const Pending& pending, const TokenMessage& answer, PressHost& host);
  void deliver(const Pending& pending, const rules::RulesGame& game,
               std::optional<int> seconds_left, PressHost& host);

  GameVariant variant_;
  rules::Referee referee_;
  std::deque<Pending> queue_;
  std::vector<int> delivered_;
  std::vector<int> refused_;
  std::vector<int> this_phase_;  // messages, against floods
  std::vector<long> tokens_this_phase_;
};

// An answer that echoes a message as large as a frame carries would not fit a frame
// itself: the echo is cut where it must be and its brackets closed.
TokenMessage framed(const TokenMessage& answer);

}  // namespace quorvel::server
