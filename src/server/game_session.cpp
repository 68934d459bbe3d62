#include "server/game_session.h"

#include <algorithm>
#include <ctime>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/token_text_table.h"
#include "protocol/tokens.h"
#include "server/game_report.h"

namespace quorvel::server {

namespace {

using namespace tok;

TokenMessage text_message(const std::string& text) {
  TokenMessage message;
  for (char c : text)
    message = message + Token::from_char(c);
  return message;
}

// The characters of a string of text tokens.
std::string text_of(const TokenMessage& message) {
  std::string text;
  for (int i = 0; i < message.length(); ++i) {
    if (message.token_at(i).is_text()) text += static_cast<char>(message.token_at(i).subtoken());
  }
  return text;
}

// Rounds of press delivered after each message received, when the host does not drive
// rounds: house players answer only proposals, so a few settle any exchange.
constexpr int kRoundsPerMessage = 10;

}  // namespace

GameSession::GameSession(const ServerOptions& options, SessionOutput& output, GameRecord& record,
                         std::ostream& progress)
    : options_(options),
      output_(output),
      record_(record),
      progress_(progress),
      rng_(options.seed ? *options.seed : static_cast<unsigned>(std::time(nullptr))) {}

int GameSession::load(const TokenMessage& mdf, const TokenMessage& now, const TokenMessage& sco,
                      const std::string& map_name) {
  mdf_ = mdf;
  map_name_ = map_name;
  int fault = game_.load_map(mdf);
  if (fault == -1) fault = game_.load_position(now, sco);
  if (fault != -1) return fault;
  seats_.assign(powers(), Seat{});
  refused_.assign(powers(), 0);
  late_waives_.assign(powers(), 0);
  left_in_.assign(static_cast<std::size_t>(powers()), "");
  broke_protocol_in_.assign(static_cast<std::size_t>(powers()), "");
  timed_out_in_.assign(static_cast<std::size_t>(powers()), "");
  negotiators_.assign(static_cast<std::size_t>(powers()), std::nullopt);
  ordered_under_.assign(static_cast<std::size_t>(powers()), std::nullopt);
  if (options_.variant.level >= 10)
    press_ = std::make_unique<PressRelay>(options_.variant, powers());
  // Clients take the powers in a shuffled order; the last seats go to the opponents.
  seating_order_.clear();
  for (int power = 0; power < powers(); ++power) {
    if (on_map(power)) {
      seating_order_.push_back(power);
    } else {
      make_absent_seat(power);
    }
  }
  std::shuffle(seating_order_.begin(), seating_order_.end(), rng_);
  for (int i = 0; i < static_cast<int>(seating_order_.size()); ++i) {
    const int power = seating_order_[static_cast<std::size_t>(i)];
    Seat& seat = seats_[static_cast<std::size_t>(power)];
    seat.passcode = 1 + static_cast<int>(rng_() % 8000);
    if (i >= options_.open_seats) make_house_seat(power, options_.opponents);
  }
  return -1;
}

void GameSession::make_house_seat(int power, OpponentKind kind) {
  Seat& seat = seats_[static_cast<std::size_t>(power)];
  if (opponents::negotiates(kind))
    negotiators_[static_cast<std::size_t>(power)].emplace(kind, power);
  seat.kind = SeatKind::kHouse;
  seat.house = kind;
  seat.taken = true;
  seat.map_accepted = true;
  seat.name = std::string(opponents::opponent_player_name(kind));
  seat.version = "1";
}

// A power of the token set that the map leaves out: nobody plays it, nothing reports it.
void GameSession::make_absent_seat(int power) {
  Seat& seat = seats_[static_cast<std::size_t>(power)];
  seat.kind = SeatKind::kHouse;
  seat.house = OpponentKind::kHolder;
  seat.taken = true;
  seat.map_accepted = true;
  reported_out_.insert(power);
}

void GameSession::fix_seats(const std::vector<std::optional<OpponentKind>>& by_power) {
  if (started_ || seats_.empty()) return;
  seating_order_.clear();
  for (int power = 0; power < powers(); ++power) {
    Seat& seat = seats_[static_cast<std::size_t>(power)];
    seat = Seat{SeatKind::kClient, OpponentKind::kHolder, -1, false, "", "", seat.passcode};
    negotiators_[static_cast<std::size_t>(power)].reset();
    if (!on_map(power)) {
      make_absent_seat(power);
      continue;
    }
    const auto kind = static_cast<std::size_t>(power) < by_power.size()
                          ? by_power[static_cast<std::size_t>(power)]
                          : std::nullopt;
    if (kind) {
      make_house_seat(power, *kind);
    } else {
      seating_order_.push_back(power);
    }
  }
}

std::string GameSession::who(int client) const {
  const auto found = clients_.find(client);
  std::string text = "client " + std::to_string(client);
  if (found != clients_.end() && found->second.power >= 0) {
    text += " (" + power_name(found->second.power) + ")";
  }
  return text;
}

void GameSession::send(int client, const TokenMessage& message) {
  if (!clients_.count(client)) return;
  if (record_.is_open()) record_.write(who(client) + " << " + printed_text(message));
  output_.send(client, message);
}

void GameSession::broadcast(const TokenMessage& message) {
  for (const auto& [client, info] : clients_) {
    if (info.observer || info.power >= 0) send(client, message);
  }
}

int GameSession::player_power(int client) const {
  const auto found = clients_.find(client);
  return found == clients_.end() ? -1 : found->second.power;
}

void GameSession::on_connect(int client, const std::string& peer) {
  clients_[client] = Client{-1, false, peer, {}};
  record_.write(who(client) + " connected from " + peer);
}

void GameSession::on_disconnect(int client, Clock::time_point now) {
  now_ = now;
  const auto found = clients_.find(client);
  if (found == clients_.end()) return;
  record_.write(who(client) + " disconnected");
  const int power = found->second.power;
  clients_.erase(found);
  if (power < 0) return;
  Seat& seat = seats_[static_cast<std::size_t>(power)];
  seat.client = -1;
  if (!started_) {
    // A seat left before the game began is free again.
    seat = Seat{SeatKind::kClient, OpponentKind::kHolder, -1, false, "", "", seat.passcode};
    return;
  }
  if (!finished_ && left_in_[static_cast<std::size_t>(power)].empty())
    left_in_[static_cast<std::size_t>(power)] = phase();
  if (!finished_ && !seat.disorder) {
    seat.disorder = true;
    broadcast(CCD & GameBoard::power_token(power));
    check_ready();
  }
}

void GameSession::on_unbalanced(int client, const std::vector<Token>& tokens) {
  TokenMessage copy(PRN);
  copy = copy + BRA;
  for (Token t : tokens)
    copy = copy + t;
  copy = copy + KET;
  send(client, copy);
}

void GameSession::not_understood(int client, const TokenMessage& message, int error_at) {
  send(client, HUH & error_marked(message, error_at));
}

TokenMessage GameSession::map_message() const {
  return MAP & text_message(map_name_);
}

TokenMessage GameSession::hello(int power) const {
  return ((HLO & GameBoard::power_token(power)) &
          Token::from_number(seats_[static_cast<std::size_t>(power)].passcode)) &
         variant_message(options_.variant);
}

// Who may send a message of a kind, and in what form; a message that is not allowed gets
// REJ, one not in the form HUH.
enum class GameSession::Guard { kAnyone, kStarted, kPlayer };
enum class GameSession::Form { kAny, kBare };

struct GameSession::Handler {
  Token kind;
  Form form;
  Guard guard;
  void (GameSession::*handle)(int client, const TokenMessage& message);
};

const std::vector<GameSession::Handler>& GameSession::handlers() {
  using S = GameSession;
  static const std::vector<Handler> table = {
      {NME, Form::kAny, Guard::kAnyone, &S::on_join},
      {OBS, Form::kAny, Guard::kAnyone, &S::on_observe},
      {IAM, Form::kAny, Guard::kAnyone, &S::on_rejoin},
      {MAP, Form::kBare, Guard::kAnyone, &S::on_map_request},
      {MDF, Form::kBare, Guard::kAnyone, &S::on_map_definition_request},
      {YES, Form::kAny, Guard::kAnyone, &S::on_answer},
      {REJ, Form::kAny, Guard::kAnyone, &S::on_answer},
      {HLO, Form::kBare, Guard::kPlayer, &S::on_hello_request},
      {SCO, Form::kBare, Guard::kStarted, &S::on_centres_request},
      {NOW, Form::kBare, Guard::kStarted, &S::on_position_request},
      {ORD, Form::kBare, Guard::kAnyone, &S::on_results_request},
      {SUB, Form::kAny, Guard::kAnyone, &S::on_submit},
      {MIS, Form::kBare, Guard::kPlayer, &S::on_missing_request},
      {GOF, Form::kBare, Guard::kPlayer, &S::on_go_flag},
      {NOT, Form::kAny, Guard::kAnyone, &S::on_not},
      {TME, Form::kAny, Guard::kAnyone, &S::on_time},
      {DRW, Form::kAny, Guard::kPlayer, &S::on_draw},
      {HST, Form::kAny, Guard::kAnyone, &S::on_history},
      {SND, Form::kAny, Guard::kAnyone, &S::on_press},
      {ADM, Form::kAny, Guard::kAnyone, &S::on_admin},
  };
  return table;
}

bool GameSession::plays_started_game(int client) const {
  return started_ && player_power(client) >= 0;
}

void GameSession::on_message(int client, const TokenMessage& message, Clock::time_point now) {
  now_ = now;
  if (!clients_.count(client) || finished_) return;
  if (record_.is_open()) record_.write(who(client) + " >> " + printed_text(message));
  if (!message.sub_message_is_single_token(0)) {
    not_understood(client, message, 0);
    return;
  }
  const Token kind = message.first_token();
  for (const Handler& handler : handlers()) {
    if (handler.kind != kind) continue;
    if (handler.form == Form::kBare && message.length() != 1) break;
    const bool allowed = handler.guard == Guard::kAnyone ||
                         (handler.guard == Guard::kStarted && started_) ||
                         (handler.guard == Guard::kPlayer && plays_started_game(client));
    if (!allowed) {
      send(client, REJ & message);
    } else {
      (this->*handler.handle)(client, message);
    }
    return;
  }
  not_understood(client, message, 0);
}

void GameSession::on_map_request(int client, const TokenMessage&) {
  send(client, map_message());
}

void GameSession::on_map_definition_request(int client, const TokenMessage&) {
  send(client, mdf_);
}

void GameSession::on_hello_request(int client, const TokenMessage&) {
  send(client, hello(player_power(client)));
}

void GameSession::on_centres_request(int client, const TokenMessage&) {
  send(client, game_.position().sco_message(game_.map()));
}

void GameSession::on_position_request(int client, const TokenMessage&) {
  send(client, game_.position().now_message(game_.map()));
}

void GameSession::on_results_request(int client, const TokenMessage& message) {
  if (last_results_.empty()) send(client, REJ & message);
  for (const TokenMessage& result : last_results_)
    send(client, result);
}

void GameSession::on_missing_request(int client, const TokenMessage&) {
  send(client, game_.missing_message(player_power(client)));
}

void GameSession::on_go_flag(int client, const TokenMessage& message) {
  seats_[static_cast<std::size_t>(player_power(client))].ready = true;
  send(client, YES & message);
  check_ready();
}

void GameSession::on_not(int client, const TokenMessage& message) {
  const Token what = message.sub_message(1).token_at(0);
  if (what == GOF && plays_started_game(client)) {
    seats_[static_cast<std::size_t>(player_power(client))].ready = false;
    send(client, YES & message);
  } else if (what == DRW && plays_started_game(client)) {
    seats_[static_cast<std::size_t>(player_power(client))].draw.reset();
    send(client, YES & message);
  } else if (what == TME) {
    clients_[client].warnings.clear();
    send(client, YES & message);
  } else {
    send(client, REJ & message);
  }
}

// DRW, or with partial draws DRW ( power ... ): the draw of the powers named.
void GameSession::on_draw(int client, const TokenMessage& message) {
  std::vector<int> draw = survivors();
  if (message.length() > 1) {
    if (!options_.variant.partial_draws || message.sub_message_count() != 2 ||
        message.sub_message_is_single_token(1)) {
      not_understood(client, message, 1);
      return;
    }
    draw.clear();
    const TokenMessage named = message.sub_message(1);
    for (int i = 0; i < named.length(); ++i) {
      const Token t = named.token_at(i);
      if (t.category() != CATEGORY_POWER || !on_map(t.subtoken())) {
        not_understood(client, message, 2 + i);
        return;
      }
      // Out of the game, or named twice.
      if (game_.eliminated(t.subtoken()) ||
          std::count(draw.begin(), draw.end(), t.subtoken()) > 0) {
        send(client, REJ & message);
        return;
      }
      draw.push_back(t.subtoken());
    }
    if (draw.empty()) {
      not_understood(client, message, 2);
      return;
    }
    std::sort(draw.begin(), draw.end());
  }
  seats_[static_cast<std::size_t>(player_power(client))].draw = draw;
  send(client, YES & message);
  // Declared when every survivor asked for the same draw this turn.
  for (int p : survivors()) {
    if (seats_[static_cast<std::size_t>(p)].draw != draw) return;
  }
  TokenMessage result(DRW);
  if (draw != survivors()) result = result & GameBoard::power_tokens(draw);
  end_game(result);
}

std::vector<int> GameSession::survivors() const {
  std::vector<int> alive;
  for (int p = 0; p < powers(); ++p) {
    if (on_map(p) && !game_.eliminated(p)) alive.push_back(p);
  }
  return alive;
}

void GameSession::on_press(int client, const TokenMessage& message) {
  if (!press_on()) {
    // No press at this level: SND itself is the token at fault.
    send(client, framed(HUH & error_marked(message, 0)));
    return;
  }
  // Before the game, from an observer or a power out of the game: press of nobody's.
  const int sender = player_power(client);
  if (!plays_started_game(client) || game_.eliminated(sender)) {
    send(client, framed(REJ & message));
    return;
  }
  take_press(sender, client, message);
}

std::string GameSession::house_name(int power) const {
  return power_name(power) + " (" + seats_[static_cast<std::size_t>(power)].name + ")";
}

void GameSession::take_press(int sender, int client, const TokenMessage& message) {
  if (client < 0) record_.write(house_name(sender) + " >> " + printed_text(message));
  press_->take(sender, client, message, game_, seconds_left(), *this);
  if (!press_by_rounds_) settle_press();
}

void GameSession::settle_press() {
  if (settling_) return;
  settling_ = true;
  for (int round = 0; round < kRoundsPerMessage && press_pending(); ++round)
    deliver_press_round();
  settling_ = false;
  reorder_bound_seats();
}

void GameSession::deliver_press_round() {
  if (press_on() && !finished_) press_->deliver_round(game_, seconds_left(), *this);
}

std::optional<int> GameSession::seconds_left() const {
  if (!deadline_) return std::nullopt;
  return static_cast<int>(std::chrono::ceil<std::chrono::seconds>(*deadline_ - now_).count());
}

bool GameSession::hears_press(int power) const {
  const Seat& seat = seats_[static_cast<std::size_t>(power)];
  return seat.kind != SeatKind::kClient || (!seat.disorder && seat.client >= 0);
}

void GameSession::answer_sender(int client, const TokenMessage& answer) {
  send(client, answer);
}

void GameSession::hand_over(int recipient, const TokenMessage& frm) {
  const Seat& seat = seats_[static_cast<std::size_t>(recipient)];
  if (seat.kind == SeatKind::kClient) {
    send(seat.client, frm);
  } else {
    record_.write(house_name(recipient) + " << " + printed_text(frm));
  }
}

void GameSession::delivered(int sender, const std::vector<int>& recipients,
                            const TokenMessage& press) {
  if (capture_) capture_->message(sender, recipients, printed_text(press));
  record_referee();
  for (int to : recipients) {
    auto& negotiator = negotiators_[static_cast<std::size_t>(to)];
    if (!negotiator) continue;
    for (const opponents::PressOut& reply :
         negotiator->answer(sender, press, options_.variant.level, game_, press_->referee()))
      take_press(to, -1, (SND & GameBoard::power_tokens(reply.to)) & reply.press);
  }
}

void GameSession::record_referee() {
  if (!press_on()) return;
  for (const std::string& event : press_->referee().take_events()) {
    record_.write("referee: " + event);
    if (capture_) capture_->note(event);
  }
}

void GameSession::keep_saved_game(const std::string& id, SavedGameChanged changed) {
  std::vector<std::string> rules;
  if (options_.variant.level == 0) rules.push_back("NO_PRESS");
  capture_ = std::make_unique<savedgame::GameCapture>(game_, id, map_name_, std::move(rules));
  saved_game_changed_ = std::move(changed);
}

void GameSession::saved_game_changed() {
  if (capture_ && saved_game_changed_) saved_game_changed_(capture_->game());
}

std::vector<bool> GameSession::disorder() const {
  std::vector<bool> out;
  for (const Seat& seat : seats_)
    out.push_back(seat.disorder);
  return out;
}

void GameSession::on_admin(int client, const TokenMessage& message) {
  if (message.sub_message_count() != 3) {
    not_understood(client, message, 0);
    return;
  }
  for (const auto& [other, info] : clients_) {
    if (other != client) send(other, message);
  }
}

void GameSession::on_join(int client, const TokenMessage& message) {
  Client& info = clients_[client];
  if (message.sub_message_count() != 3 || info.power >= 0 || info.observer || started_) {
    send(client, REJ & message);
    return;
  }
  for (int power : seating_order_) {
    Seat& seat = seats_[static_cast<std::size_t>(power)];
    if (seat.kind != SeatKind::kClient || seat.taken) continue;
    // The host names the seat of each join: no other is given.
    if (next_join_ && *next_join_ != power) continue;
    seat.taken = true;
    seat.client = client;
    seat.name = text_of(message.sub_message(1));
    seat.version = text_of(message.sub_message(2));
    info.power = power;
    record_.write(who(client) + " plays " + seat.name + " " + seat.version);
    send(client, YES & message);
    send(client, map_message());
    return;
  }
  send(client, REJ & message);
}

void GameSession::on_observe(int client, const TokenMessage& message) {
  Client& info = clients_[client];
  if (message.length() != 1 || info.power >= 0 || info.observer) {
    send(client, REJ & message);
    return;
  }
  info.observer = true;
  send(client, YES & message);
  send(client, map_message());
}

void GameSession::on_rejoin(int client, const TokenMessage& message) {
  Client& info = clients_[client];
  const Token power = message.sub_message(1).token_at(0);
  const Token code = message.sub_message(2).token_at(0);
  const bool valid = message.sub_message_count() == 3 && info.power < 0 && !info.observer &&
                     power.category() == CATEGORY_POWER && on_map(power.subtoken()) &&
                     code.is_number();
  if (!valid) {
    send(client, REJ & message);
    return;
  }
  Seat& seat = seats_[static_cast<std::size_t>(power.subtoken())];
  if (seat.kind != SeatKind::kClient || !seat.taken || seat.client != -1 ||
      seat.passcode != code.number()) {
    send(client, REJ & message);
    return;
  }
  seat.client = client;
  seat.map_accepted = true;
  info.power = power.subtoken();
  send(client, YES & message);
  if (seat.disorder) {
    seat.disorder = false;
    broadcast(NOT & (CCD & power));
  }
}

void GameSession::on_answer(int client, const TokenMessage& message) {
  const TokenMessage inner = message.sub_message(1);
  if (inner.token_at(0) != MAP) {
    not_understood(client, message, 0);
    return;
  }
  const int power = player_power(client);
  if (power >= 0)
    seats_[static_cast<std::size_t>(power)].map_accepted = message.first_token() == YES;
  maybe_start(now_);
}

void GameSession::on_time(int client, const TokenMessage& message) {
  if (!started_ || !deadline_) {
    send(client, REJ & message);
    return;
  }
  if (message.length() == 1) {
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(*deadline_ - now_).count();
    send(client, TME & Token::from_number(static_cast<int>(std::max<long long>(left, 0))));
    return;
  }
  const Token seconds = message.sub_message(1).token_at(0);
  if (!seconds.is_number() || seconds.number() <= 0) {
    send(client, REJ & message);
    return;
  }
  clients_[client].warnings.push_back(seconds.number());
  send(client, YES & message);
}

void GameSession::on_history(int client, const TokenMessage& message) {
  const TokenMessage turn = message.sub_message(1);
  const auto found = history_.find({turn.token_at(1).number(), turn.token_at(0).value()});
  if (!turn.token_at(1).is_number() || found == history_.end()) {
    send(client, REJ & message);
    return;
  }
  for (const TokenMessage& result : found->second.results)
    send(client, result);
  send(client, found->second.sco);
  send(client, found->second.now);
}

void GameSession::on_submit(int client, const TokenMessage& message) {
  const int power = player_power(client);
  if (!started_ || power < 0 || seats_[static_cast<std::size_t>(power)].disorder) {
    send(client, REJ & message);
    return;
  }
  int first = 1;
  const TokenMessage maybe_turn = message.sub_message(1);
  if (!message.sub_message_is_single_token(1) && is_season(maybe_turn.token_at(0)) &&
      maybe_turn.token_at(1).is_number()) {
    const rules::Position& position = game_.position();
    if (maybe_turn.token_at(0) != position.season ||
        maybe_turn.token_at(1).number() != position.year) {
      send(client, REJ & message);
      return;
    }
    first = 2;
  }
  for (int i = first; i < message.sub_message_count(); ++i) {
    const TokenMessage order = message.sub_message(i);
    const Token note =
        message.sub_message_is_single_token(i) ? Token() : game_.submit(power, order);
    int& late = late_waives_[static_cast<std::size_t>(power)];
    if (note == NRS && late > 0 && order.length() == 2 && order.token_at(1) == WVE) {
      --late;
    } else if (note != MBV) {
      ++refused_[static_cast<std::size_t>(power)];
    }
    if (note == Token()) {
      // Not an order at all: the rest of the message is not read.
      not_understood(client, message, message.sub_message_start(i) - 1);
      break;
    }
    send(client, (THX & order) & note);
  }
  send(client, game_.missing_message(power));
  check_ready();
}

void GameSession::seat_next_join(int power) {
  next_join_ = power;
}

bool GameSession::seated(int client) const {
  return player_power(client) >= 0;
}

bool GameSession::seat_ready(int power) const {
  if (power < 0 || power >= powers()) return false;
  const Seat& seat = seats_[static_cast<std::size_t>(power)];
  return seat.kind == SeatKind::kClient && seat.taken && seat.client >= 0 && seat.map_accepted;
}

void GameSession::start_with_empty_seats(Clock::time_point now) {
  if (started_ || finished_) return;
  std::vector<int> empty;
  for (int power = 0; power < powers(); ++power) {
    Seat& seat = seats_[static_cast<std::size_t>(power)];
    if (seat.kind != SeatKind::kClient || (seat.taken && seat.client >= 0 && seat.map_accepted))
      continue;
    // A client that joined and never took the map leaves its seat to nobody.
    if (seat.client >= 0) {
      clients_[seat.client].power = -1;
      output_.close(seat.client);
    }
    seat.taken = true;
    seat.client = -1;
    seat.map_accepted = true;
    seat.disorder = true;
    seat.name = "nobody";
    record_.write(power_name(power) + " has no player: civil disorder");
    empty.push_back(power);
  }
  maybe_start(now);
  for (int power : empty)
    broadcast(CCD & GameBoard::power_token(power));
}

void GameSession::on_protocol_error(int client) {
  const int power = player_power(client);
  if (power >= 0 && !finished_ && broke_protocol_in_[static_cast<std::size_t>(power)].empty())
    broke_protocol_in_[static_cast<std::size_t>(power)] = phase();
  if (power >= 0) record_.write(who(client) + " broke the protocol");
}

std::string GameSession::phase() const {
  const rules::Position& position = game_.position();
  return savedgame::phase_name(position.season, position.year);
}

void GameSession::maybe_start(Clock::time_point now) {
  now_ = now;
  if (started_ || finished_) return;
  for (const Seat& seat : seats_) {
    const bool absent = seat.kind == SeatKind::kClient && seat.client == -1 && !seat.disorder;
    if (!seat.taken || absent || !seat.map_accepted) return;
  }
  started_ = true;
  record_.write("game starts");
  for (int power = 0; power < powers(); ++power) {
    if (!on_map(power)) continue;
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    record_.write(power_name(power) + " is played by " + seat.name + " " + seat.version);
    if (seat.client >= 0) send(seat.client, hello(power));
  }
  broadcast(game_.position().sco_message(game_.map()));
  begin_phase();
}

void GameSession::begin_phase() {
  const rules::Position& position = game_.position();
  history_[{position.year, position.season.value()}] =
      Turn{{}, position.sco_message(game_.map()), position.now_message(game_.map())};
  broadcast(position.now_message(game_.map()));
  ++phases_begun_;
  if (capture_) {
    capture_->begin_phase(disorder());
    saved_game_changed();
  }
  for (Seat& seat : seats_) {
    seat.ready = true;
  }
  std::fill(ordered_under_.begin(), ordered_under_.end(), std::nullopt);
  if (press_on()) press_->begin_phase();
  const int seconds = options_.variant.seconds_for(position.season);
  deadline_.reset();
  if (seconds > 0) deadline_ = now_ + std::chrono::seconds(seconds);
  if (press_on()) {
    for (int power = 0; power < powers(); ++power) {
      auto& negotiator = negotiators_[static_cast<std::size_t>(power)];
      if (!negotiator) continue;
      for (const opponents::PressOut& out : negotiator->open_phase(game_, press_->referee()))
        take_press(power, -1, (SND & GameBoard::power_tokens(out.to)) & out.press);
    }
  }
  if (press_on() && press_by_rounds_) {
    house_orders_due_ = true;
    return;
  }
  settle_press();
  order_house_seats();
  check_ready();
}

void GameSession::take_orders() {
  if (!house_orders_due_) return;
  house_orders_due_ = false;
  order_house_seats();
  check_ready();
}

void GameSession::order_house_seats() {
  for (int power = 0; power < powers(); ++power) {
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    auto& under = ordered_under_[static_cast<std::size_t>(power)];
    under.reset();
    if (seat.kind != SeatKind::kHouse || !game_.has_decisions(power)) continue;
    for (const TokenMessage& order :
         opponents::house_orders(seat.house, game_, power, rng_, referee())) {
      const Token note = game_.submit(power, order);
      if (note != MBV) ++refused_[static_cast<std::size_t>(power)];
    }
    if (press_on() && seat.house == OpponentKind::kHonest)
      under = press_->referee().restrictions(power, game_);
  }
}

void GameSession::reorder_bound_seats() {
  // Winter builds cannot be taken back; peace binds no build anyway.
  if (!press_on() || game_.season() == WIN) return;
  for (int power = 0; power < powers(); ++power) {
    const auto& under = ordered_under_[static_cast<std::size_t>(power)];
    if (!under) continue;
    const rules::Restrictions now = press_->referee().restrictions(power, game_);
    if (now.no_attack == under->no_attack && now.no_entry == under->no_entry) continue;
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    for (const TokenMessage& order :
         opponents::house_orders(seat.house, game_, power, rng_, referee())) {
      if (game_.submit(power, order) != MBV) ++refused_[static_cast<std::size_t>(power)];
    }
    ordered_under_[static_cast<std::size_t>(power)] = now;
  }
}

void GameSession::check_ready() {
  if (!started_ || finished_ || processing_ || house_orders_due_) return;
  // Processing may lead straight into a phase nobody has to wait for.
  processing_ = true;
  while (started_ && !finished_ && !house_orders_due_) {
    bool ready = true;
    for (int power = 0; power < powers() && ready; ++power) {
      const Seat& seat = seats_[static_cast<std::size_t>(power)];
      if (seat.kind != SeatKind::kClient || seat.disorder || !game_.has_decisions(power)) continue;
      if (game_.orders_missing(power) || !seat.ready) ready = false;
    }
    if (!ready) break;
    process_phase();
  }
  processing_ = false;
}

void GameSession::tick(Clock::time_point now) {
  now_ = now;
  if (!started_ || finished_) return;
  if (deadline_) {
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(*deadline_ - now).count();
    for (auto& [client, info] : clients_) {
      for (auto it = info.warnings.begin(); it != info.warnings.end();) {
        if (left <= *it) {
          send(client, TME & Token::from_number(static_cast<int>(std::max<long long>(left, 0))));
          it = info.warnings.erase(it);
        } else {
          ++it;
        }
      }
    }
  }
  if (deadline_ && now >= *deadline_) {
    record_.write("time is up");
    for (int power = 0; power < powers(); ++power) {
      const Seat& seat = seats_[static_cast<std::size_t>(power)];
      std::string& timed_out = timed_out_in_[static_cast<std::size_t>(power)];
      if (seat.kind == SeatKind::kClient && !seat.disorder && game_.has_decisions(power) &&
          game_.orders_missing(power) && timed_out.empty())
        timed_out = phase();
    }
    processing_ = true;
    process_phase();
    processing_ = false;
    check_ready();
  }
}

std::optional<Clock::time_point> GameSession::next_deadline() const {
  return deadline_;
}

void GameSession::process_phase() {
  const rules::Position before = game_.position();
  std::vector<int> owed(powers(), 0);
  for (int power = 0; power < powers() && before.season == WIN; ++power) {
    const int surplus = before.centre_count(game_.map(), power) - before.unit_count(power);
    if (seats_[static_cast<std::size_t>(power)].kind == SeatKind::kClient && surplus > 0 &&
        !game_.has_decisions(power))
      owed[static_cast<std::size_t>(power)] = surplus;
  }
  late_waives_ = owed;
  if (press_on()) {
    press_->referee().check(game_);
    record_referee();
  }
  if (capture_) capture_->take_orders();
  const rules::RulesGame::PhaseOutcome outcome = game_.process();
  if (capture_) capture_->processed(outcome.orders);
  if (press_on()) {
    press_->referee().close_phase(before.season);
    record_referee();
  }
  last_results_ = outcome.results;
  history_[{before.year, before.season.value()}].results = outcome.results;
  for (const TokenMessage& result : outcome.results)
    broadcast(result);
  if (outcome.centres_updated) {
    broadcast(game_.position().sco_message(game_.map()));
    record_centres();
  }
  for (int power = 0; power < powers(); ++power) {
    if (!game_.eliminated(power) || reported_out_.count(power)) continue;
    reported_out_.insert(power);
    seats_[static_cast<std::size_t>(power)].eliminated_in = before.year;
    if (press_on()) press_->referee().remove_party(power);
    broadcast(OUT & GameBoard::power_token(power));
  }
  for (Seat& seat : seats_)
    seat.draw.reset();
  if (outcome.winner >= 0) {
    end_game(SLO & GameBoard::power_token(outcome.winner));
  } else if (game_.position().year > options_.last_year) {
    end_game(TokenMessage(DRW));
  } else {
    begin_phase();
  }
}

void GameSession::record_centres() {
  const rules::Position& position = game_.position();
  // The autumn just ended leads to a winter of the same year or the next spring.
  const int year = position.season == WIN ? position.year : position.year - 1;
  std::vector<int>& counts = centres_by_year_[year];
  counts.clear();
  for (int power = 0; power < powers(); ++power)
    counts.push_back(on_map(power) ? position.centre_count(game_.map(), power) : kAbsent);
  progress_ << centres_line(year, counts) << std::endl;
}

void GameSession::end_game(const TokenMessage& result) {
  if (finished_) return;
  deadline_.reset();
  broadcast(result);
  const rules::Position& position = game_.position();
  TokenMessage summary = SMR & rules::turn_message(position.season, position.year);
  for (int power = 0; power < powers(); ++power) {
    if (!on_map(power)) continue;
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    TokenMessage entry =
        ((GameBoard::power_token(power) & text_message(seat.name)) & text_message(seat.version)) +
        Token::from_number(position.centre_count(game_.map(), power));
    if (seat.eliminated_in > 0) entry = entry + Token::from_number(seat.eliminated_in);
    summary = summary & entry;
  }
  broadcast(summary);
  broadcast(TokenMessage(OFF));
  finished_ = true;
  for (const auto& [client, info] : clients_)
    output_.close(client);

  std::vector<std::string> players;
  std::vector<int> final_counts;
  for (int power = 0; power < powers(); ++power) {
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    players.push_back(seat.name + " " + seat.version);
    final_counts.push_back(on_map(power) ? position.centre_count(game_.map(), power) : kAbsent);
  }
  const int winner = result.first_token() == SLO ? result.token_at(2).subtoken() : -1;
  outcome_ = outcome_text(winner, position.season, position.year, options_.last_year);
  if (result.first_token() == DRW && result.sub_message_count() > 1) {
    const TokenMessage named = result.sub_message(1);
    std::string names;
    for (int i = 0; i < named.length(); ++i) {
      drawn_.push_back(named.token_at(i).subtoken());
      names += power_name(drawn_.back()) + " ";
    }
    outcome_ = "draw of " + names + outcome_.substr(std::string("draw ").size());
  }
  if (capture_ && started_) {
    std::vector<int> victors = drawn_;
    if (winner >= 0) victors = {winner};
    if (victors.empty()) victors = survivors();
    capture_->finish(victors, disorder());
    saved_game_changed();
  }
  for (const std::string& line :
       end_of_game_report(outcome_, centres_by_year_, players, final_counts)) {
    progress_ << line << "\n";
    record_.write(line);
  }
  progress_ << std::flush;
}

void GameSession::shut_down() {
  if (finished_) return;
  record_.write("server stopped");
  if (!started_) {
    broadcast(TokenMessage(OFF));
    finished_ = true;
    for (const auto& [client, info] : clients_)
      output_.close(client);
    return;
  }
  end_game(TokenMessage(DRW));
}

}  // namespace quorvel::server
