#include "opponents/greedy_opponent.h"

#include <gtest/gtest.h>

#include "opponents/house_opponent.h"
#include "protocol/tokens.h"
#include "support/boards.h"

namespace quorvel::opponents {
namespace {

using namespace tok;
using testing::province;

rules::RulesGame opening() {
  rules::RulesGame game;
  EXPECT_EQ(game.load_map(testing::standard_map_message()), -1);
  EXPECT_EQ(
      game.load_position(testing::parse(testing::kStartNow), testing::parse(testing::kStartSco)),
      -1);
  return game;
}

TEST(GreedyOpponent, CentresAreWorthTheirOwnersSizeOrTheThreatToThem) {
  const rules::RulesGame game = opening();
  const int france = FRA.subtoken();
  const DestinationValues values = destination_values(game, france);
  auto base = [&](const char* name) {
    return values.base[static_cast<std::size_t>(province(name))];
  };
  EXPECT_GT(base("BEL"), 0);
  EXPECT_EQ(base("BEL"), base("SPA"));  // neutral centres alike
  EXPECT_EQ(base("MUN"), 3);            // Germany's size
  EXPECT_EQ(base("PAR"), 0);            // no foreign unit next to it
  EXPECT_EQ(base("BUR"), 0);            // no centre
  // Trieste is threatened by Italy's army in Venice.
  const DestinationValues austria = destination_values(game, AUS.subtoken());
  EXPECT_EQ(austria.base[static_cast<std::size_t>(province("TRI"))], 3);
  // Far targets pull: inland Burgundy, next to two centres, beats Gascony for an army,
  // and a fleet has no value where it cannot stand.
  EXPECT_GT(values.army[static_cast<std::size_t>(province("BUR"))],
            values.army[static_cast<std::size_t>(province("GAS"))]);
  EXPECT_EQ(values.fleet[static_cast<std::size_t>(province("BUR"))], 0);
}

// Whole games of one greedy player against six random ones: every order of every kind
// of phase is one the rules take, and the greedy player wins alone by 1920 in most games.
TEST(GreedyOpponent, OrdersOnlyWhatTheRulesTakeAndBeatsRandomPlayers) {
  int solos = 0;
  int games = 0;
  for (unsigned seed = 1; seed <= 14; ++seed, ++games) {
    std::mt19937 rng(seed);
    rules::RulesGame game = opening();
    const int greedy = static_cast<int>(seed % 7);
    while (game.winner() < 0 && game.position().year <= 1920) {
      for (int power = 0; power < 7; ++power) {
        if (!game.has_decisions(power)) continue;
        const OpponentKind kind = power == greedy ? OpponentKind::kGreedy : OpponentKind::kRandom;
        for (const TokenMessage& order : house_orders(kind, game, power, rng))
          ASSERT_EQ(game.submit(power, order), MBV) << "seed " << seed << ": " << order.to_text();
      }
      game.process();
    }
    solos += game.winner() == greedy;
  }
  EXPECT_GE(solos, games * 3 / 4);
}

}  // namespace
}  // namespace quorvel::opponents
