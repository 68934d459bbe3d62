// Whole games of seven random but legal players: the rules keep the board sound.
#include <gtest/gtest.h>

#include <random>

#include "game/game_board.h"
#include "opponents/random_opponent.h"
#include "protocol/tokens.h"
#include "support/boards.h"

namespace quorvel {
namespace {

using namespace tok;

void expect_sound(const rules::RulesGame& game, bool after_winter) {
  const rules::RulesMap& map = game.map();
  const rules::Position& position = game.position();
  for (const auto& [p, unit] : position.units) {
    ASSERT_EQ(unit.location.province, p);
    ASSERT_TRUE(map.province(p).adjacency.count(unit.location.coast)) << map.name(p);
    ASSERT_EQ(unit.type == AMY, unit.location.coast == AMY);
  }
  for (const auto& [p, entry] : position.dislodged) {
    ASSERT_FALSE(entry.retreats.empty());
    for (const Location& to : entry.retreats)
      ASSERT_FALSE(position.units.count(to.province));
  }
  for (int p = 0; p < map.province_count(); ++p) {
    const Token owner = position.owners[static_cast<std::size_t>(p)];
    ASSERT_TRUE(owner == UNO || (owner.category() == CATEGORY_POWER && owner.subtoken() < 7));
  }
  if (after_winter) {
    for (int power = 0; power < 7; ++power) {
      ASSERT_LE(position.unit_count(power), position.centre_count(map, power)) << "power " << power;
    }
  }
}

class RandomGames : public ::testing::TestWithParam<int> {};

TEST_P(RandomGames, SevenRandomPlayersTo1935) {
  int winters = 0;
  int retreats = 0;
  int solos = 0;
  for (unsigned seed = static_cast<unsigned>(GetParam()) * 100u;
       seed < static_cast<unsigned>(GetParam()) * 100u + 40u; ++seed) {
    std::mt19937 rng(seed);
    rules::RulesGame game;
    ASSERT_EQ(game.load_map(testing::standard_map_message()), -1);
    ASSERT_EQ(
        game.load_position(testing::parse(testing::kStartNow), testing::parse(testing::kStartSco)),
        -1);
    while (game.winner() < 0 && game.position().year <= 1935) {
      const Token season = game.season();
      for (int power = 0; power < 7; ++power) {
        if (!game.has_decisions(power)) continue;
        for (const TokenMessage& order : opponents::random_orders(game, power, rng)) {
          ASSERT_EQ(game.submit(power, order), MBV) << order.to_text();
        }
      }
      winters += season == WIN;
      retreats += season == SUM || season == AUT;
      game.process();
      expect_sound(game, season == WIN);
      if (HasFatalFailure()) FAIL() << "seed " << seed;
    }
    solos += game.winner() >= 0;
  }
  // The games reach every kind of phase.
  EXPECT_GT(winters, 40);
  EXPECT_GT(retreats, 40);
  RecordProperty("solos", solos);
}

INSTANTIATE_TEST_SUITE_P(Batches, RandomGames, ::testing::Range(0, 8));

}  // namespace
}  // namespace quorvel
