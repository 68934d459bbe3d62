#pragma once

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rules/map_file.h"
#include "savedgame/saved_game.h"
#include "server/game_session.h"

namespace quorvel::testing {

// A session's output when every seat is a house player's: nobody to send to.
class NoClients : public server::SessionOutput {
  void send(int, const TokenMessage&) override {}
  void close(int) override {}
};

// Plays a whole game of house players on the map with the options' seats for them (set
// power by power by seat_of, when given), keeping it as a saved game: `changed` sees the
// session and the game so far at each change, and the game comes back when it has ended.
inline savedgame::SavedGame play_house_game(
    const rules::MapFile& map, server::ServerOptions options, const std::string& id,
    const std::function<std::optional<opponents::OpponentKind>(int)>& seat_of = {},
    const std::function<void(const server::GameSession&, const savedgame::SavedGame&)>& changed =
        {}) {
  options.open_seats = 0;
  options.record = "";
  NoClients out;
  server::GameRecord record("");
  std::ostringstream progress;
  server::GameSession session(options, out, record, progress);
  EXPECT_EQ(session.load(map.mdf, map.now, map.sco, map.name), -1);
  if (seat_of) {
    std::vector<std::optional<opponents::OpponentKind>> seats;
    for (int power = 0; power < session.game().map().power_count(); ++power)
      seats.push_back(seat_of(power));
    session.fix_seats(seats);
  }
  session.keep_saved_game(id, [&](const savedgame::SavedGame& game) {
    if (changed) changed(session, game);
  });
  session.maybe_start(server::Clock::time_point());
  EXPECT_TRUE(session.finished());
  return session.saved_game() ? *session.saved_game() : savedgame::SavedGame{};
}

}  // namespace quorvel::testing
