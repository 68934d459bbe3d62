// The options of a game as HLO announces them.
#include "protocol/game_variant.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using testing::parse;

TEST(GameVariant, WrittenAsHloCarriesItAndReadBack) {
  GameVariant v;
  v.level = 30;
  v.move_seconds = 5;
  v.partial_draws = true;
  v.no_retreat_press = true;
  v.no_build_press = true;
  v.press_time_limit = 2;
  const TokenMessage written = variant_message(v);
  EXPECT_EQ(written, parse("( LVL 30 ) ( MTL 5 ) ( PDA ) ( NPR ) ( NPB ) ( PTL 2 )"));
  EXPECT_EQ(read_variant(written), v);
  EXPECT_EQ(v.press_closes_after(), 3);
  // Options it does not know, and malformed ones, are left out.
  const GameVariant read = read_variant(parse("( LVL 10 ) ( AOA ) ( PTL ) ( MTL 60 1 ) ( RTL 9 )"));
  GameVariant expected;
  expected.level = 10;
  expected.retreat_seconds = 9;
  EXPECT_EQ(read, expected);
  // Without press the options of press games are never announced.
  v.level = 0;
  EXPECT_EQ(variant_message(v), parse("( LVL 0 ) ( MTL 5 )"));
  EXPECT_FALSE(v.allows_press(tok::SPR, std::nullopt));
  EXPECT_EQ(v.press_closes_after(), std::nullopt);
}

}  // namespace
}  // namespace quorvel
