#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "game/agreements.h"
#include "game/game_board.h"
#include "planning/diplomacy.h"
#include "planning/unit_option_table.h"
#include "protocol/press.h"
#include "settings/bot_settings.h"
#include "valuation/province_valuation.h"

namespace quorvel {

// The playing bot's side of press: the level it speaks at, the agreements it made as its
// own ledger keeps them, its trust in each power, its proposals and answers, and the
// constraints its agreements put on its planning. It sends nothing itself: it answers the
// messages to send, and lines for the trace.
class Negotiator {
 public:
  Negotiator(const GameBoard& board, ProvinceValuation& valuation);
  void set_settings(const PressSettings& settings) { settings_ = settings; }

  // HLO: the game's level and move time limit; it speaks at the lower of the level and its
  // own, or not at all below 10.
  void start_game(const TokenMessage& hello);
  bool active() const { return level_ >= 10; }
  int level() const { return level_; }
  // Seconds of the movement phases' time limit; 0 for none.
  int move_time_limit() const { return move_time_limit_; }
  // How long a movement phase waits for answers: the setting, but never into the last
  // seconds before the phase's time limit.
  int wait_milliseconds() const;

  // NOW, with the position taken, before the valuation: the last phase is closed (its
  // results show who broke their word) and the valuation fears partners less. Answers
  // what to send (cancelled proposals to powers no longer trusted).
  std::vector<TokenMessage> begin_phase();
  // What binds the bot's planning this phase: its obligations (its own proposals counted
  // as agreed), and trusted partners' units kept out of what the bot holds.
  void constrain(UnitOptionTable& options) const;
  // Provinces the bot's units may not go into this phase.
  std::vector<bool> barred() const;
  // Whether the bot's orders on the board keep its obligations.
  bool orders_keep_word() const;
  // The promised orders of this phase, written onto the board over the plan's.
  void give_promised_orders(GameBoard& board) const;

  // After the movement phase's first plan: the proposals to send.
  std::vector<TokenMessage> open_phase();
  // Whether answers to its proposals are still outstanding.
  bool waiting() const;
  // The wait for answers is over: what is still unanswered is withdrawn (the messages to
  // send), so that it no longer binds the orders.
  std::vector<TokenMessage> end_wait();
  // The bot's orders of the phase went out: what it accepts from now on must keep them.
  void orders_given() { orders_given_ = true; }

  // FRM: what to send in answer.
  std::vector<TokenMessage> on_press(const TokenMessage& frm);
  // ORD: a result of the phase, kept to see who kept their word.
  void on_result(const TokenMessage& ord);
  // The power will not answer: it is out, in civil disorder, or the press was refused.
  void no_answer_from(int power);
  // The power is out of the game: no agreement binds it, nor the bot to it.
  void power_out(int power);
  // The server delivered press the bot sent (YES ( SND ... )): a notice ending an
  // agreement takes effect only now, as the host's referee sees it.
  void delivered(const TokenMessage& snd);

  const AgreementLedger& ledger() const { return ledger_; }
  int kept(int power) const { return at(kept_, power); }
  int broken(int power) const { return at(broken_, power); }
  bool trusts(int power) const;
  // A partner at peace with it that has kept its word long enough to be relied on.
  bool relies_on(int power) const;
  std::vector<std::string> take_trace();

 private:
  static int at(const std::vector<int>& counts, int power) {
    return power >= 0 && power < static_cast<int>(counts.size())
               ? counts[static_cast<std::size_t>(power)]
               : 0;
  }
  int me() const { return board_.own_power.subtoken(); }
  PhaseKind kind() const { return phase_kind(board_.season); }
  Obligations obligations() const;
  const DiplomaticView& view();
  std::vector<bool> dealing() const;
  TokenMessage send(const std::vector<int>& to, const press::PressMessage& press);
  void trace(std::string line) { trace_.push_back(std::move(line)); }
  // Powers that agreed more than peace with the bot become cooperative.
  void note_cooperation();

  const GameBoard& board_;
  ProvinceValuation& valuation_;
  PressSettings settings_;
  int level_ = 0;
  int move_time_limit_ = 0;
  AgreementLedger ledger_{0};

  // Per power.
  std::vector<int> kept_;
  std::vector<int> broken_;
  std::vector<int> distrusted_until_;  // a movement phase count
  std::vector<double> aggression_;     // its recent orders into what the bot holds
  std::vector<bool> cooperative_;      // agreed more than peace with the bot
  std::vector<int> peace_ended_;       // the movement phase the bot last ended peace with it
  std::vector<bool> could_strike_;     // its units could reach what the bot holds this phase
  std::vector<bool> answered_;         // it ever answered the bot's press
  std::vector<int> ignored_;           // phases in which it left the bot's proposals unanswered
  std::vector<bool> discerning_;       // it turned a proposal of the bot's down
  // Notices the bot sent, waiting for the server to say they were delivered.
  struct Notice {
    TokenMessage snd;
    std::vector<int> to;
    press::PressMessage press;
  };
  std::vector<Notice> notices_;

  int movement_phases_ = 0;
  std::optional<Token> season_;  // of the phase under way
  Holdings holdings_;            // as it began
  std::vector<OrderFacts> results_;
  std::optional<DiplomaticView> view_;
  std::map<int, int> awaiting_;  // answers owed, by power
  bool orders_given_ = false;
  std::vector<std::string> trace_;
};

}  // namespace quorvel
