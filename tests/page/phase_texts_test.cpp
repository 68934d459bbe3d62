#include <gtest/gtest.h>

#include "page/board_page.h"
#include "page/phase_texts.h"
#include "savedgame/known_maps.h"
#include "savedgame/saved_game_json.h"
#include "support/house_game.h"

namespace quorvel::page {
namespace {

// Texts kept phase by phase through a game with press must be, at every step, what the
// whole game as it stands gives: a phase that changed after it was made would show stale.
TEST(PhaseTexts, KeptAsTheGameGoesTheyAreTheWholeGamesTexts) {
  const std::optional<rules::MapFile> map = savedgame::known_map("standard");
  ASSERT_TRUE(map);
  server::ServerOptions options;
  options.last_year = 1904;
  options.seed = 5;
  options.variant.level = 20;

  PhaseTexts full(*map, false);
  PhaseTexts observer(*map, true);
  int updates = 0;
  bool press_hidden = true;
  auto kept = [&](const server::GameSession& session, const savedgame::SavedGame& game) {
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
  };
  const savedgame::SavedGame game = testing::play_house_game(
      *map, options, "texts",
      [](int power) {
        return power == 2 ? opponents::OpponentKind::kLiar : opponents::OpponentKind::kHonest;
      },
      kept);
  EXPECT_GT(updates, 10);
  EXPECT_TRUE(press_hidden);
  EXPECT_NE(full.saved_game_json(game).find("\"message\": \""), std::string::npos)
      << "the game had no press to hide";
}

}  // namespace
}  // namespace quorvel::page
