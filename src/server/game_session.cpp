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

}  // namespace

GameSession::GameSession(const ServerOptions& options, SessionOutput& output, GameRecord& record,
                         std::ostream& progress)
    : options_(options),
      output_(output),
      record_(record),
      progress_(progress),
      rng_(options.seed ? *options.seed : static_cast<unsigned>(std::time(nullptr))) {}

int GameSession::load(const TokenMessage& mdf, const TokenMessage& now, const TokenMessage& sco) {
  mdf_ = mdf;
  int fault = game_.load_map(mdf);
  if (fault == -1) fault = game_.load_position(now, sco);
  if (fault != -1) return fault;
  seats_.assign(powers(), Seat{});
  refused_.assign(powers(), 0);
  late_waives_.assign(powers(), 0);
  // Clients take the powers in a shuffled order; the last seats go to the opponents.
  seating_order_.clear();
  for (int power = 0; power < powers(); ++power)
    seating_order_.push_back(power);
  std::shuffle(seating_order_.begin(), seating_order_.end(), rng_);
  for (int i = 0; i < powers(); ++i) {
    Seat& seat = seats_[static_cast<std::size_t>(seating_order_[static_cast<std::size_t>(i)])];
    seat.passcode = 1 + static_cast<int>(rng_() % 8000);
    if (i >= options_.open_seats) make_house_seat(seat, options_.opponents);
  }
  return -1;
}

void GameSession::make_house_seat(Seat& seat, OpponentKind kind) {
  seat.kind = SeatKind::kHouse;
  seat.house = kind;
  seat.taken = true;
  seat.map_accepted = true;
  seat.name = std::string(opponents::opponent_player_name(kind));
  seat.version = "1";
}

void GameSession::fix_seats(const std::vector<std::optional<OpponentKind>>& by_power) {
  if (started_ || seats_.empty()) return;
  seating_order_.clear();
  for (int power = 0; power < powers(); ++power) {
    Seat& seat = seats_[static_cast<std::size_t>(power)];
    seat = Seat{SeatKind::kClient, OpponentKind::kHolder, -1, false, "", "", seat.passcode};
    const auto kind = static_cast<std::size_t>(power) < by_power.size()
                          ? by_power[static_cast<std::size_t>(power)]
                          : std::nullopt;
    if (kind) {
      make_house_seat(seat, *kind);
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
  return MAP & text_message("standard");
}

TokenMessage GameSession::variant() const {
  TokenMessage options = (LVL + Token::from_number(0)).enclose();
  if (options_.move_seconds > 0)
    options = options & (MTL + Token::from_number(options_.move_seconds));
  if (options_.retreat_seconds > 0) {
    options = options & (RTL + Token::from_number(options_.retreat_seconds));
  }
  if (options_.build_seconds > 0)
    options = options & (BTL + Token::from_number(options_.build_seconds));
  return options;
}

TokenMessage GameSession::hello(int power) const {
  return ((HLO & GameBoard::power_token(power)) &
          Token::from_number(seats_[static_cast<std::size_t>(power)].passcode)) &
         variant();
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
      {DRW, Form::kBare, Guard::kPlayer, &S::on_draw},
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
    seats_[static_cast<std::size_t>(player_power(client))].draw = false;
    send(client, YES & message);
  } else if (what == TME) {
    clients_[client].warnings.clear();
    send(client, YES & message);
  } else {
    send(client, REJ & message);
  }
}

void GameSession::on_draw(int client, const TokenMessage& message) {
  seats_[static_cast<std::size_t>(player_power(client))].draw = true;
  send(client, YES & message);
  for (int p = 0; p < powers(); ++p) {
    if (!game_.eliminated(p) && !seats_[static_cast<std::size_t>(p)].draw) return;
  }
  end_game(TokenMessage(DRW));
}

void GameSession::on_press(int client, const TokenMessage& message) {
  // No press at level 0.
  send(client, REJ & message);
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
                     power.category() == CATEGORY_POWER && power.subtoken() < powers() &&
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

void GameSession::maybe_start(Clock::time_point now) {
  now_ = now;
  if (started_ || finished_) return;
  for (const Seat& seat : seats_) {
    const bool absent = seat.kind == SeatKind::kClient && seat.client == -1;
    if (!seat.taken || absent || !seat.map_accepted) return;
  }
  started_ = true;
  record_.write("game starts");
  for (int power = 0; power < powers(); ++power) {
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    record_.write(power_name(power) + " is played by " + seat.name + " " + seat.version);
    if (seat.client >= 0) send(seat.client, hello(power));
  }
  broadcast(game_.position().sco_message(game_.map()));
  begin_phase();
}

int GameSession::seconds_for(Token season) const {
  if (is_movement_season(season)) return options_.move_seconds;
  if (is_retreat_season(season)) return options_.retreat_seconds;
  return options_.build_seconds;
}

void GameSession::begin_phase() {
  const rules::Position& position = game_.position();
  history_[{position.year, position.season.value()}] =
      Turn{{}, position.sco_message(game_.map()), position.now_message(game_.map())};
  broadcast(position.now_message(game_.map()));
  for (Seat& seat : seats_) {
    seat.ready = true;
  }
  const int seconds = seconds_for(position.season);
  deadline_.reset();
  if (seconds > 0) deadline_ = now_ + std::chrono::seconds(seconds);
  for (int power = 0; power < powers(); ++power) {
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    if (seat.kind != SeatKind::kHouse || !game_.has_decisions(power)) continue;
    for (const TokenMessage& order : opponents::house_orders(seat.house, game_, power, rng_)) {
      const Token note = game_.submit(power, order);
      if (note != MBV) ++refused_[static_cast<std::size_t>(power)];
    }
  }
  check_ready();
}

void GameSession::check_ready() {
  if (!started_ || finished_ || processing_) return;
  // Processing may lead straight into a phase nobody has to wait for.
  processing_ = true;
  while (started_ && !finished_) {
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
  const rules::RulesGame::PhaseOutcome outcome = game_.process();
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
    broadcast(OUT & GameBoard::power_token(power));
  }
  for (Seat& seat : seats_)
    seat.draw = false;
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
    counts.push_back(position.centre_count(game_.map(), power));
  progress_ << centres_line(year, counts) << std::endl;
}

void GameSession::end_game(const TokenMessage& result) {
  if (finished_) return;
  deadline_.reset();
  broadcast(result);
  const rules::Position& position = game_.position();
  TokenMessage summary = SMR & rules::turn_message(position.season, position.year);
  for (int power = 0; power < powers(); ++power) {
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

  // The result, and every power's centres year by year.
  if (result.first_token() == SLO) {
    outcome_ = power_name(result.token_at(2).subtoken()) + " wins alone in " +
               std::to_string(position.season == WIN ? position.year : position.year - 1);
  } else {
    outcome_ = "draw after " + std::to_string(std::min(position.year - 1, options_.last_year));
  }
  const std::string headline = "Result: " + outcome_;
  progress_ << headline << "\n";
  record_.write(headline);
  std::vector<std::string> players;
  std::vector<int> final_counts;
  for (int power = 0; power < powers(); ++power) {
    const Seat& seat = seats_[static_cast<std::size_t>(power)];
    players.push_back(seat.name + " " + seat.version);
    final_counts.push_back(position.centre_count(game_.map(), power));
  }
  const std::string table = result_table(centres_by_year_, players, final_counts);
  progress_ << table << std::flush;
  std::istringstream lines(table);
  for (std::string line; std::getline(lines, line);)
    record_.write(line);
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
