#include "arena/arena_game.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <ostream>

#include "page/board_page.h"
#include "protocol/token_message.h"
#include "protocol/tokens.h"
#include "savedgame/saved_game_file.h"
#include "server/game_record.h"
#include "server/game_report.h"
#include "server/game_session.h"
#include "shell/strategy_bot.h"

namespace quorvel::arena {

namespace {

// The session's messages wait here until the loop hands them to their player.
class Mailbox : public server::SessionOutput {
 public:
  void send(int client, const TokenMessage& message) override {
    pending.emplace_back(client, message);
  }
  void close(int) override {}

  std::deque<std::pair<int, TokenMessage>> pending;
};

// A Quorvel's messages go straight to the session.
class SeatLink : public MessageSink {
 public:
  SeatLink(server::GameSession& session, int client) : session_(session), client_(client) {}
  // Arena games have no time limits, so the session's time never matters.
  void deliver(const TokenMessage& message) override {
    session_.on_message(client_, message, server::Clock::time_point());
  }

 private:
  server::GameSession& session_;
  int client_;
};

// The tokens of a message as the link hands them to a bot: host order, no end marker.
std::vector<std::uint16_t> body_of(const TokenMessage& message) {
  std::vector<std::uint16_t> body(static_cast<std::size_t>(message.length()));
  for (int i = 0; i < message.length(); ++i)
    body[static_cast<std::size_t>(i)] = message.token_at(i).value();
  return body;
}

std::uint64_t player_seed(std::uint64_t game_seed, int power) {
  return game_seed * 8 + static_cast<std::uint64_t>(power) + 1;
}

}  // namespace

GameResult play_game(const std::vector<const ArenaPlayer*>& by_power, std::uint64_t seed,
                     int last_year, const std::string& record_path, const GameVariant& press,
                     const rules::MapFile& map) {
  // Copied for each game: a message builds its element cache when first read, so one
  // shared between the threads of a run would be written by several at once.
  const rules::MapFile own = map;
  const TokenMessage& mdf = own.mdf;
  const TokenMessage& now = own.now;
  const TokenMessage& sco = own.sco;

  server::ServerOptions options;
  options.last_year = last_year;
  options.seed = static_cast<unsigned>(seed);
  options.record = record_path;
  options.variant = press;
  Mailbox mailbox;
  // The arena's records are read once the game is over: no need to write them line by line.
  server::GameRecord record(record_path, false);
  std::ostream quiet(nullptr);
  server::GameSession session(options, mailbox, record, quiet);
  session.load(mdf, now, sco, own.name);
  session.deliver_press_by_rounds();
  // A recorded game is saved too, as a whole once it has ended.
  if (!record_path.empty()) session.keep_saved_game("arena-seed-" + std::to_string(seed));

  const int powers = static_cast<int>(by_power.size());
  std::vector<std::optional<opponents::OpponentKind>> seats;
  for (const ArenaPlayer* player : by_power)
    seats.push_back(player != nullptr ? player->house : std::nullopt);
  session.fix_seats(seats);

  // Clients join in power order, so each takes the seat of its power.
  std::vector<std::unique_ptr<StrategyBot>> bots(static_cast<std::size_t>(powers));
  std::vector<std::unique_ptr<SeatLink>> links(static_cast<std::size_t>(powers));
  for (int power = 0; power < powers; ++power) {
    if (by_power[static_cast<std::size_t>(power)] == nullptr) continue;
    const ArenaPlayer& player = *by_power[static_cast<std::size_t>(power)];
    if (!player.is_quorvel()) continue;
    PlayerSetup setup;
    setup.seed = player_seed(seed, power);
    setup.settings = player.settings;
    setup.process_bot = false;
    auto& bot = bots[static_cast<std::size_t>(power)];
    bot = std::make_unique<StrategyBot>(setup);
    links[static_cast<std::size_t>(power)] = std::make_unique<SeatLink>(session, power);
    session.on_connect(power, "arena");
    bot->ConnectInProcess(*links[static_cast<std::size_t>(power)]);
    bot->SendInitialMessage();
  }
  session.maybe_start(server::Clock::time_point());

  auto deliver_all = [&] {
    while (!mailbox.pending.empty()) {
      auto [client, message] = std::move(mailbox.pending.front());
      mailbox.pending.pop_front();
      StrategyBot* bot = bots[static_cast<std::size_t>(client)].get();
      if (bot == nullptr) continue;
      const std::vector<std::uint16_t> body = body_of(message);
      bot->DispatchMessage(reinterpret_cast<const std::uint8_t*>(body.data()),
                           static_cast<std::uint32_t>(2 * body.size()));
    }
  };
  deliver_all();
  // Without press the game has run to its end by now. With press each turn of the loop
  // is one phase: its press, then its orders.
  while (!session.finished()) {
    const int phase = session.phases_begun();
    for (int round = 0; round < kPressRounds && session.press_pending(); ++round) {
      session.deliver_press_round();
      deliver_all();
    }
    // The rounds are the players' time to wait for answers: it is over. What they say as it
    // ends (the proposals they withdraw) still reaches its recipients in this turn.
    for (auto& bot : bots) {
      if (bot != nullptr) bot->PressWaitOver();
    }
    deliver_all();
    for (int round = 0; round < kPressRounds && session.press_pending(); ++round) {
      session.deliver_press_round();
      deliver_all();
    }
    session.take_orders();
    deliver_all();
    if (session.phases_begun() == phase) break;
  }
  // A phase waits for every player that owes orders: a game that stops short has a
  // player that did not order. It is ended as a stopped server ends it, so that a run
  // always finishes, and reported.
  const bool stalled = !session.finished();
  if (stalled) {
    session.shut_down();
    deliver_all();
  }

  if (const savedgame::SavedGame* saved = session.saved_game()) {
    const std::filesystem::path path(record_path);
    std::string error;
    if (!savedgame::write_saved_game(
            std::filesystem::path(path).replace_extension(".json").string(), *saved, &error) ||
        !page::write_board_page(std::filesystem::path(path).replace_extension(".html").string(),
                                *saved, own, &error))
      record.write(error);
  }

  const rules::RulesGame& game = session.game();
  const rules::Position& position = game.position();
  GameResult result;
  result.seed = seed;
  result.press_level = press.level;
  result.stalled = stalled;
  result.phases = session.phases_begun();
  result.centres_by_year = session.centres_by_year();
  // Aligned with the seats below, which leave out the powers the map leaves out.
  for (auto& [year, counts] : result.centres_by_year)
    counts.erase(std::remove(counts.begin(), counts.end(), server::kAbsent), counts.end());
  const int last = position.season == tok::WIN ? position.year : position.year - 1;
  result.years = last - (now.sub_message(1).token_at(1).number() - 1);
  for (int power : session.drawn())
    result.drawn.push_back(server::power_name(power));
  if (game.winner() >= 0) {
    result.winner = server::power_name(game.winner());
    const StrategyBot* winner = bots[static_cast<std::size_t>(game.winner())].get();
    if (winner != nullptr && winner->settingsMutated())
      result.learned = static_cast<const IniStore&>(winner->valuation());
  }
  const rules::Referee* referee = session.referee();
  for (int power = 0; power < powers; ++power) {
    if (by_power[static_cast<std::size_t>(power)] == nullptr) continue;
    PowerResult seat{server::power_name(power), by_power[static_cast<std::size_t>(power)]->label,
                     position.centre_count(game.map(), power), session.refused(power)};
    if (referee != nullptr) {
      seat.press = session.press_sent(power);
      seat.agreements = referee->made(power);
      seat.broken = referee->broken(power);
      seat.press_refused = session.press_refused(power);
    }
    result.powers.push_back(std::move(seat));
  }
  return result;
}

}  // namespace quorvel::arena
