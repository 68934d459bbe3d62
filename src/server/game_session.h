#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "opponents/house_negotiator.h"
#include "protocol/token_message.h"
#include "rules/referee.h"
#include "rules/rules_game.h"
#include "savedgame/game_capture.h"
#include "server/game_record.h"
#include "server/press_relay.h"
#include "server/server_options.h"

namespace quorvel::server {

using Clock = std::chrono::steady_clock;

// Where the session's messages go: the server's connections, or a test.
class SessionOutput {
 public:
  virtual ~SessionOutput() = default;
  virtual void send(int client, const TokenMessage& message) = 0;
  // Ends the client's connection once what was sent to it is out.
  virtual void close(int client) = 0;
};

// One game as a DAIDE server runs it: the clients' seats and roles, the answers to
// their messages, the phases and their time limits, the house opponents, the record.
class GameSession : private PressHost {
 public:
  GameSession(const ServerOptions& options, SessionOutput& output, GameRecord& record,
              std::ostream& progress);

  // -1 when the map and the opening position are loaded; else the position of a fault.
  int load(const TokenMessage& mdf, const TokenMessage& now, const TokenMessage& sco,
           const std::string& map_name = "standard");

  void on_connect(int client, const std::string& peer);
  // Each entry that may start or end a phase takes the time it is called at; the session
  // never reads a clock.
  void on_message(int client, const TokenMessage& message, Clock::time_point now);
  // A message whose brackets do not balance, as the tokens it held.
  void on_unbalanced(int client, const std::vector<Token>& tokens);
  void on_disconnect(int client, Clock::time_point now);
  // Time limits and warnings; processes a phase whose time has run out.
  void tick(Clock::time_point now);
  // Starts the game if every seat is ready, as one with no seat for clients is at once.
  void maybe_start(Clock::time_point now);
  // Who plays each power, when the host decides it rather than the seating draw: a house
  // opponent, or (none) a client; clients that join take their powers in power order.
  void fix_seats(const std::vector<std::optional<OpponentKind>>& by_power);
  // Ends the game at once, as when the server is stopped.
  void shut_down();

  // For a host that starts its clients' programs one by one: from now on a client that
  // joins takes this power's seat, when it is a free seat for a client, or none.
  void seat_next_join(int power);
  // Whether the client plays a power.
  bool seated(int client) const;
  // Whether a client plays the power and has accepted the map.
  bool seat_ready(int power) const;
  // Starts the game with the clients it has: a seat nobody took is in civil disorder
  // from the start.
  void start_with_empty_seats(Clock::time_point now);
  // Whether the client of the power closed, or its connection was ended for breaking
  // the protocol, and the phase it happened in; "" while neither happened.
  const std::string& left_in(int power) const { return left_in_[static_cast<std::size_t>(power)]; }
  const std::string& broke_protocol_in(int power) const {
    return broke_protocol_in_[static_cast<std::size_t>(power)];
  }
  // The first phase whose time ran out while the power's client still owed orders.
  const std::string& timed_out_in(int power) const {
    return timed_out_in_[static_cast<std::size_t>(power)];
  }
  // A client's connection ended for breaking the protocol (the host's word).
  void on_protocol_error(int client);
  // The phase the game is in: "S1901M", "F1901R", "W1901A".
  std::string phase() const;

  // Keeps the game in the field's saved-game format from its start (call after load):
  // changed gets the game so far whenever a phase begins and when the game ends.
  using SavedGameChanged = std::function<void(const savedgame::SavedGame&)>;
  void keep_saved_game(const std::string& id, SavedGameChanged changed = {});
  // None unless it is kept.
  const savedgame::SavedGame* saved_game() const { return capture_ ? &capture_->game() : nullptr; }

  // Press in rounds that the host drives, as the arena does: press waits for
  // deliver_press_round(), and in a game with press the house players order only at
  // take_orders(). Otherwise press is delivered as it comes (a few rounds at most per
  // message received) and house players order when a phase begins.
  void deliver_press_by_rounds() { press_by_rounds_ = true; }
  bool press_pending() const { return press_ && press_->pending(); }
  // Delivers the press sent so far, in the order it was sent; what it provokes waits for
  // the next round.
  void deliver_press_round();
  // The house players' orders of the phase, when they are still due.
  void take_orders();
  // How many phases have begun: a host sees whether a phase ended.
  int phases_begun() const { return phases_begun_; }
  int press_level() const { return options_.variant.level; }
  // Press each power sent that was delivered, and that got HUH or REJ.
  int press_sent(int power) const { return press_ ? press_->delivered(power) : 0; }
  int press_refused(int power) const { return press_ ? press_->refused(power) : 0; }
  // The referee of the game's agreements; none in a game without press.
  const rules::Referee* referee() const { return press_ ? &press_->referee() : nullptr; }

  bool started() const { return started_; }
  bool finished() const { return finished_; }
  const rules::RulesGame& game() const { return game_; }
  // A power the map names; the others of the token set are left out.
  bool on_map(int power) const { return game_.map().has_power(power); }
  // Orders of the power that the rules refused, its house opponent's included.
  int refused(int power) const { return refused_[static_cast<std::size_t>(power)]; }
  // Every power's centres after each year's autumn, by year.
  const std::map<int, std::vector<int>>& centres_by_year() const { return centres_by_year_; }
  // "FRA wins alone in 1915", "draw after 1935" or "draw of ENG FRA after 1908" once the
  // game has ended.
  const std::string& outcome() const { return outcome_; }
  // The powers of a partial draw; empty for any other end.
  const std::vector<int>& drawn() const { return drawn_; }
  // When the next time limit or warning falls due, if any.
  std::optional<Clock::time_point> next_deadline() const;

 private:
  enum class SeatKind { kClient, kHouse };
  struct Seat {
    SeatKind kind = SeatKind::kClient;
    OpponentKind house = OpponentKind::kHolder;
    int client = -1;  // -1: nobody connected
    bool taken = false;
    std::string name;
    std::string version;
    int passcode = 0;
    bool map_accepted = false;
    bool disorder = false;
    bool ready = true;  // no NOT ( GOF )
    // The draw it asks for this turn: the powers to share it (all survivors, unless the
    // game allows partial draws and it named them).
    std::optional<std::vector<int>> draw{};
    int eliminated_in = 0;
  };
  struct Client {
    int power = -1;
    bool observer = false;
    std::string peer;
    std::vector<int> warnings;  // seconds before the deadline
  };

  enum class Guard;
  enum class Form;
  struct Handler;
  // One handler per message kind.
  static const std::vector<Handler>& handlers();

  void send(int client, const TokenMessage& message);
  void broadcast(const TokenMessage& message);
  std::string who(int client) const;

  void on_join(int client, const TokenMessage& message);
  void on_observe(int client, const TokenMessage& message);
  void on_rejoin(int client, const TokenMessage& message);
  void on_submit(int client, const TokenMessage& message);
  void on_answer(int client, const TokenMessage& message);
  void on_time(int client, const TokenMessage& message);
  void on_history(int client, const TokenMessage& message);
  void on_map_request(int client, const TokenMessage& message);
  void on_map_definition_request(int client, const TokenMessage& message);
  void on_hello_request(int client, const TokenMessage& message);
  void on_centres_request(int client, const TokenMessage& message);
  void on_position_request(int client, const TokenMessage& message);
  void on_results_request(int client, const TokenMessage& message);
  void on_missing_request(int client, const TokenMessage& message);
  void on_go_flag(int client, const TokenMessage& message);
  void on_not(int client, const TokenMessage& message);
  void on_draw(int client, const TokenMessage& message);
  void on_press(int client, const TokenMessage& message);
  // Press from a power (a client's, or a house player's when client is -1): checked, then
  // queued for delivery.
  void take_press(int sender, int client, const TokenMessage& message);
  // Delivers what is pending, a few rounds at most, when the host does not drive rounds.
  void settle_press();
  // Seconds left before the phase's time limit; none without one.
  std::optional<int> seconds_left() const;
  bool hears_press(int power) const override;
  void answer_sender(int client, const TokenMessage& answer) override;
  void hand_over(int recipient, const TokenMessage& frm) override;
  void delivered(int sender, const std::vector<int>& recipients,
                 const TokenMessage& press) override;
  // The survivors of the game, in power order.
  std::vector<int> survivors() const;
  void order_house_seats();
  // Honest house players order again when their agreements changed after they ordered.
  void reorder_bound_seats();
  bool press_on() const { return press_ != nullptr; }
  std::string house_name(int power) const;
  void record_referee();
  // The saved game, when kept, changed: its owner hears of it.
  void saved_game_changed();
  std::vector<bool> disorder() const;
  void on_admin(int client, const TokenMessage& message);
  // A player of a started game: the guard of most requests.
  bool plays_started_game(int client) const;
  void not_understood(int client, const TokenMessage& message, int error_at);
  void make_house_seat(int power, OpponentKind kind);
  void make_absent_seat(int power);

  TokenMessage map_message() const;
  TokenMessage hello(int power) const;

  void begin_phase();
  void check_ready();
  void process_phase();
  void end_game(const TokenMessage& result);
  // Keeps the year's centres and prints their line.
  void record_centres();
  int player_power(int client) const;
  int powers() const { return game_.map().power_count(); }

  ServerOptions options_;
  SessionOutput& output_;
  std::unique_ptr<savedgame::GameCapture> capture_;
  SavedGameChanged saved_game_changed_;
  GameRecord& record_;
  std::ostream& progress_;
  rules::RulesGame game_;
  std::string map_name_ = "standard";
  TokenMessage mdf_;
  std::vector<Seat> seats_;
  std::vector<int> seating_order_;
  std::map<int, Client> clients_;
  std::mt19937 rng_;
  bool started_ = false;
  bool finished_ = false;
  bool processing_ = false;
  std::optional<Clock::time_point> deadline_;
  Clock::time_point now_;  // as the entry being run was called
  std::vector<TokenMessage> last_results_;
  struct Turn {
    std::vector<TokenMessage> results;
    TokenMessage sco;
    TokenMessage now;
  };
  std::map<std::pair<int, int>, Turn> history_;  // by (year, season token)
  std::map<int, std::vector<int>> centres_by_year_;
  std::set<int> reported_out_;
  std::vector<int> refused_;
  std::string outcome_;
  std::vector<int> drawn_;
  bool press_by_rounds_ = false;
  bool settling_ = false;
  bool house_orders_due_ = false;
  int phases_begun_ = 0;
  std::unique_ptr<PressRelay> press_;
  std::vector<std::optional<opponents::HouseNegotiator>> negotiators_;
  // What an honest seat's orders of this phase were made under.
  std::vector<std::optional<rules::Restrictions>> ordered_under_;
  // Waives a client could not send in time: it was owed builds with no home centre free,
  // so the winter was not waited for. They arrive in the next phase and get NRS, but they
  // were good orders when given.
  std::vector<int> late_waives_;
  std::optional<int> next_join_;  // the only seat a join may take, when the host says
  std::vector<std::string> left_in_;
  std::vector<std::string> broke_protocol_in_;
  std::vector<std::string> timed_out_in_;
};

}  // namespace quorvel::server
