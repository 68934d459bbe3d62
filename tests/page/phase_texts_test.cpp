#include <gtest/gtest.h>

#include <sstream>

#include "page/board_page.h"
#include "page/phase_texts.h"
#include "savedgame/known_maps.h"
#include "savedgame/saved_game_json.h"
#include "server/game_session.h"

namespace quorvel::page {
namespace {

class NoClients : public server::SessionOutput {
  void send(int, const TokenMessage&) override {}
  void close(int) override {}
};

// Texts kept phase by phase through a game with press must be, at every step, what the
// whole game as it stands gives: a phase that changed after it was made would show stale.
TEST(PhaseTexts, KeptAsTheGameGoesTheyAreTheWholeGamesTexts) {
  const std::optional<rules::MapFile> map = savedgame::known_map("standard");
  ASSERT_TRUE(map);
  server::ServerOptions options;
  options.open_seats = 0;
  options.last_year = 1904;
  options.seed = 5;
  options.record = "";
  options.variant.level = 20;
  NoClients out;
  server::GameRecord record("");
  std::ostringstream progress;
  server::GameSession session(options, out, record, progress);
  ASSERT_EQ(session.load(map->mdf, map->now, map->sco, map->name), -1);
  std::vector<std::optional<opponents::OpponentKind>> seats(7, opponents::OpponentKind::kHonest);
  seats[2] = opponents::OpponentKind::kLiar;
  session.fix_seats(seats);

  PhaseTexts full(*map, false);
  PhaseTexts observer(*map, true);
  int updates = 0;
  bool press_hidden = true;
  session.keep_saved_game("texts", [&](const savedgame::SavedGame& game) {
    ++updates;
    const bool finished = session.finished();
    full.update(game, finished);
    observer.update(game, finished);
    EXPECT_EQ(full.saved_game_json(game), savedgame::saved_game_json(game)) << updates;
    EXPECT_EQ(full.board_page(game), board_page(game, *map)) << updates;
    if (!finished) {
      for (const auto& text : observer.saved())
        press_hidden = press_hidden && text->find("\"message\": \"") == std::string::npos;
    } else {
      EXPECT_EQ(observer.saved_game_json(game), full.saved_game_json(game));
      EXPECT_EQ(text_views(observer.views()), text_views(full.views()));
    }
  });
  session.maybe_start(server::Clock::time_point());
  ASSERT_TRUE(session.finished());
  EXPECT_GT(updates, 10);
  EXPECT_TRUE(press_hidden);
  EXPECT_NE(full.saved_game_json(*session.saved_game()).find("\"message\": \""), std::string::npos)
      << "the game had no press to hide";
}

}  // namespace
}  // namespace quorvel::page
