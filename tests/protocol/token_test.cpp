#include "protocol/token.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel {
namespace {

TEST(Token, NumbersAreFourteenBitTwosComplement) {
  EXPECT_EQ(Token::from_number(-1).value(), 0x3FFF);
  EXPECT_EQ(Token(0x3FFF).number(), -1);
  EXPECT_EQ(Token(0x2000).number(), -8192);
  EXPECT_EQ(Token(0x1FFF).number(), 8191);
  EXPECT_EQ(Token::from_number(1234).number(), 1234);
  // No range check: larger values keep their low 14 bits.
  EXPECT_EQ(Token::from_number(16384).value(), 0x0000);
  EXPECT_EQ(Token::from_number(8192).number(), -8192);
  EXPECT_EQ(Token::from_number(-8193).number(), 8191);
  EXPECT_TRUE(Token::from_number(-1).is_number());
  EXPECT_FALSE(tok::HLO.is_number());
}

TEST(Token, OrderingIsUnsigned) {
  EXPECT_LT(Token(0x4000), Token(0xC000));
  EXPECT_LT(Token(0x7FFF), Token(0x8000));
  EXPECT_EQ(Token(), Token(0x0000));
}

}  // namespace
}  // namespace quorvel
