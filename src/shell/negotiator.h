#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "game/agreements.h"
#include "game/game_board.h"
#include "planning/diplomacy.h"
#include "planning/unit_option_table.h"
#include "protocol/game_variant.h"
#include "protocol/press.h"
#include "settings/bot_settings.h"
#include "valuation/province_valuation.h"

namespace quorvel {

// The playing bot's side of press: the level it speaks at, the agreements it made as its
// own ledger keeps them, its trust in each power, its proposals and answers, and the
// constraints its agreements put on its planning. It sends nothing itself: it answers the
// messages to send, and lines for the trace. Its press goes only where and when the game's
// options allow it, always in the form of SND that names the turn.
class Negotiator {
 public:
  using Clock = std::chrono::steady_clock;

  Negotiator(const GameBoard& board, ProvinceValuation& valuation);
  void set_settings(const PressSettings& settings) { settings_ = settings; }

  // HLO: the game's options; it speaks at the lower of the game's level and its own, or not
  // at all below 10.
  void start_game(const TokenMessage& hello);
  bool active() const { return level_ >= press::kPeaceLevel; }
  int level() const { return level_; }
  const GameVariant& variant() const { return variant_; }
  // How long a movement phase waits for answers: the setting, but never into the last
  // seconds before the phase's time limit (deadlineMargin, at most half the limit), nor
  // past the time the game stops press.
  int wait_milliseconds() const;
  // Whether the game allows press now: not in the phases its options keep silent, not in
  // the last seconds of a movement phase when it says so.
  bool may_speak() const;

  // NOW, with the position taken, before the valuation; began is when the phase began.
  // The last phase is closed (its results show who broke their word) and the valuation
  // fears partners less. Answers what to send (cancelled proposals to powers no longer
  // trusted).
  std::vector<TokenMessage> begin_phase(Clock::time_point began = Clock::now());
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
  // send); the orders of the phase keep it all the same, as an answer may cross the
  // withdrawal.
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
  // The draw it asks the server for, when it judges the game drawn: no supply centre
  // changed hands for drawYears years. Of the powers still in the game where the game
  // allows partial draws.
  std::optional<TokenMessage> draw_request() const;

  const AgreementLedger& ledger() const { return ledger_; }
  int kept(int power) const { return known(power) ? of(power).kept : 0; }
  int broken(int power) const { return known(power) ? of(power).broken : 0; }
  bool trusts(int power) const;
  // A partner at peace with it that has kept its word long enough to be relied on.
  bool relies_on(int power) const;
  // What the agreements bind a partner it relies on to this phase; nothing for the others.
  std::optional<Obligations> partner_obligations(int power) const;
  std::vector<std::string> take_trace();

 private:
  // What the bot knows of another power.
  struct Standing {
    int kept = 0;               // phases it kept its word where it could have struck
    int broken = 0;             // agreements with the bot it broke
    int distrusted_until = 0;   // a movement phase count
    double aggression = 0;      // its recent orders into what the bot holds
    bool cooperative = false;   // agreed more than peace with the bot
    int peace_ended = -1000;    // the movement phase the bot last ended peace with it
    bool could_strike = false;  // its units could reach what the bot holds this phase
    bool answered = false;      // it ever answered the bot's press
    int ignored = 0;            // phases in which it left the bot's proposals unanswered
    bool discerning = false;    // it turned a proposal of the bot's down
    bool zone_refused = false;  // the bot turned its zone down this phase
  };
  // A proposal to make once another is agreed.
  struct FollowUp {
    int to = -1;
    press::Arrangement after;
    press::Arrangement then;
    std::string why;
  };
  // A notice the bot sent, waiting for the server to say it was delivered.
  struct Notice {
    TokenMessage snd;
    std::vector<int> to;
    press::PressMessage press;
  };

  bool known(int power) const { return power >= 0 && power < static_cast<int>(standing_.size()); }
  const Standing& of(int power) const { return standing_[static_cast<std::size_t>(power)]; }
  Standing& of(int power) { return standing_[static_cast<std::size_t>(power)]; }
  int me() const { return board_.own_power.subtoken(); }
  PhaseKind kind() const { return phase_kind(board_.season); }
  Obligations obligations() const;
  const DiplomaticView& view();
  // SND of the current turn.
  TokenMessage send_message(const std::vector<int>& to, const TokenMessage& press) const;
  // Sends press and keeps it in its own ledger.
  TokenMessage send(const std::vector<int>& to, const press::PressMessage& press);
  // CCL of its proposal.
  TokenMessage cancel(const Proposal& proposal) const;
  void trace(std::string line) { trace_.push_back(std::move(line)); }

  // Who broke their word in the phase just processed, as its results show; who kept it
  // where it could have struck. Answers the breakers.
  std::vector<int> judge_last_phase();
  // Who went for what the bot holds in the movement phase just processed.
  void note_aggression();
  // A breaker is not dealt with again: what the bot proposed to it is cancelled.
  void stop_dealing(int breaker, std::vector<TokenMessage>& out);
  // The phase now beginning: who holds what, who could strike, whether the centres moved.
  void look_at_phase(Clock::time_point began);
  // Powers that agreed more than peace with the bot become cooperative.
  void note_cooperation();
  // Peace that no longer pays ends by notice.
  void end_unwanted_peace(std::vector<TokenMessage>& out);
  // Proposes, when it is still consistent with what binds it.
  void propose(const std::vector<int>& to, const press::Arrangement& arrangement,
               const std::string& why, std::vector<TokenMessage>& out);
  // The proposals that wait for what was just agreed.
  void follow_up(std::vector<TokenMessage>& out);

  const GameBoard& board_;
  ProvinceValuation& valuation_;
  PressSettings settings_;
  GameVariant variant_;
  int level_ = 0;
  AgreementLedger ledger_{0};
  std::vector<Standing> standing_;  // by power
  std::vector<Notice> notices_;
  std::vector<FollowUp> follow_ups_;  // of this phase

  int movement_phases_ = 0;
  std::optional<Token> season_;                    // of the phase under way
  std::optional<Clock::time_point> press_closes_;  // when the game stops press this phase
  Holdings holdings_;                              // as it began
  std::vector<OrderFacts> results_;
  std::optional<DiplomaticView> view_;
  std::map<int, int> awaiting_;  // answers owed, by power
  bool orders_given_ = false;
  // Who owns each supply centre, as the last spring found them, and for how many years
  // nothing changed hands.
  std::vector<int> centre_owners_;
  int stable_years_ = 0;
  std::vector<std::string> trace_;
};

}  // namespace quorvel
