#include "arena/arena_game.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <ostream>

#include "arena/in_process_seats.h"
#include "arena/session_result.h"
#include "protocol/token_message.h"
#include "protocol/tokens.h"
#include "server/game_record.h"
#include "server/game_session.h"

namespace quorvel::arena {

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
  // The arena's records are read once the game is over: no need to write them line by line.
  server::GameRecord record(record_path, false);
  std::ostream quiet(nullptr);
  const int powers = static_cast<int>(by_power.size());
  InProcessSeats quorvels(powers, false);
  server::GameSession session(options, quorvels, record, quiet);
  quorvels.attach(session);
  session.load(mdf, now, sco, own.name);
  session.deliver_press_by_rounds();
  // A recorded game is saved too, as a whole once it has ended.
  if (!record_path.empty()) session.keep_saved_game("arena-seed-" + std::to_string(seed));

  std::vector<std::optional<opponents::OpponentKind>> seats;
  for (const ArenaPlayer* player : by_power)
    seats.push_back(player != nullptr ? player->house : std::nullopt);
  session.fix_seats(seats);

  for (int power = 0; power < powers; ++power) {
    const ArenaPlayer* player = by_power[static_cast<std::size_t>(power)];
    if (player != nullptr && player->is_quorvel()) quorvels.join(power, *player, seed);
  }
  session.maybe_start(server::Clock::time_point());
  auto deliver_all = [&] { quorvels.deliver(); };
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
    quorvels.press_wait_over();
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

  save_beside_record(session, record_path, own, record);
  GameResult result = session_result(session, by_power, seed, press.level, now, stalled);
  const rules::RulesGame& game = session.game();
  if (game.winner() >= 0) {
    const StrategyBot* winner = quorvels.bot(game.winner());
    if (winner != nullptr && winner->settingsMutated())
      result.learned = static_cast<const IniStore&>(winner->valuation());
  }
  return result;
}

}  // namespace quorvel::arena
