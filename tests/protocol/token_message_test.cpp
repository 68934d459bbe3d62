#include "protocol/token_message.h"

#include <gtest/gtest.h>

#include <vector>

#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using namespace tok;

TokenMessage from_tokens(const std::vector<Token>& tokens) {
  TokenMessage message;
  EXPECT_EQ(message.set_from_tokens(tokens.data(), static_cast<int>(tokens.size())), -1);
  return message;
}

std::vector<Token> tokens_of(const TokenMessage& message) {
  std::vector<Token> tokens;
  for (int i = 0; i < message.length(); ++i)
    tokens.push_back(message.token_at(i));
  return tokens;
}

TEST(TokenMessage, EmptyDiffersFromZeroTokens) {
  const TokenMessage empty;
  EXPECT_TRUE(empty.is_empty());
  EXPECT_EQ(empty.length(), -1);
  EXPECT_EQ(empty.sub_message_count(), 0);
  EXPECT_EQ(empty.token_at(0), END_OF_MESSAGE);

  const TokenMessage zero = from_tokens({});
  EXPECT_FALSE(zero.is_empty());
  EXPECT_EQ(zero.length(), 0);
  EXPECT_EQ(zero.sub_message_count(), 0);

  const TokenMessage inside = from_tokens({BRA, KET}).sub_message(0);
  EXPECT_FALSE(inside.is_empty());
  EXPECT_EQ(inside.length(), 0);
  EXPECT_TRUE(TokenMessage(empty).is_empty());
}

TEST(TokenMessage, SetFromTokensReportsUnbalancedBrackets) {
  TokenMessage message(HLO);
  const std::vector<Token> extra_ket{BRA, KET, KET};
  EXPECT_EQ(message.set_from_tokens(extra_ket.data(), 3), 3);
  EXPECT_TRUE(message.is_empty());
  EXPECT_EQ(message.sub_message_count(), 0);
  EXPECT_FALSE(message.sub_message_is_single_token(0));

  const std::vector<Token> open{BRA, BRA};
  EXPECT_EQ(message.set_from_tokens(open.data(), 2), 2);
  const std::vector<Token> leading_ket{KET, BRA};
  EXPECT_EQ(message.set_from_tokens(leading_ket.data(), 2), 1);
  EXPECT_EQ(message.set_from_tokens(nullptr, -3), 0);
  EXPECT_EQ(message.set_from_tokens(nullptr, 0), -1);
  EXPECT_EQ(message.length(), 0);
}

TEST(TokenMessage, SubMessagesOfANowMessage) {
  const TokenMessage now =
      from_tokens({NOW, BRA, SPR, Token::from_number(1901), KET, BRA, ENG, AMY, LON, KET});
  EXPECT_EQ(now.sub_message_count(), 3);
  EXPECT_EQ(now.sub_message(1), TokenMessage(SPR) + Token::from_number(1901));
  EXPECT_EQ(now.sub_message_start(1), 2);
  EXPECT_EQ(now.sub_message(0), TokenMessage(NOW));
  EXPECT_TRUE(now.sub_message(0).is_single_token());
  EXPECT_EQ(now.sub_message_start(0), 0);
  EXPECT_EQ(now.sub_message_start(2), 6);
  EXPECT_TRUE(now.sub_message_is_single_token(0));
  EXPECT_FALSE(now.sub_message_is_single_token(2));
  EXPECT_EQ(tokens_of(now.sub_message(2)), (std::vector<Token>{ENG, AMY, LON}));
  // Positions inside a sub-message map back into the whole message.
  const TokenMessage unit = now.sub_message(2);
  EXPECT_EQ(now.token_at(now.sub_message_start(2) + 2), unit.token_at(2));

  for (int outside : {-1, 3, 100}) {
    EXPECT_TRUE(now.sub_message(outside).is_empty());
    EXPECT_EQ(now.sub_message_start(outside), -1);
    EXPECT_FALSE(now.sub_message_is_single_token(outside));
  }
  EXPECT_EQ(now.token_at(-1), END_OF_MESSAGE);
  EXPECT_EQ(now.token_at(10), END_OF_MESSAGE);
}

TEST(TokenMessage, EncloseWrapsInOneElement) {
  const TokenMessage empty;
  const TokenMessage enclosed = empty.enclose();
  EXPECT_EQ(tokens_of(enclosed), (std::vector<Token>{BRA, KET}));
  EXPECT_EQ(enclosed.sub_message_count(), 1);

  TokenMessage msg = TokenMessage(ENG) + AMY + LON;
  EXPECT_EQ(msg.sub_message_count(), 3);
  EXPECT_EQ(msg.sub_message_start(2), 2);  // builds the cache before the change
  msg.enclose_in_place();
  EXPECT_EQ(tokens_of(msg), (std::vector<Token>{BRA, ENG, AMY, LON, KET}));
  EXPECT_EQ(msg.sub_message_count(), 1);
  EXPECT_EQ(msg.sub_message_start(0), 1);
  EXPECT_EQ(msg.sub_message_start(1), -1);
}

TEST(TokenMessage, JoiningInAllForms) {
  const TokenMessage empty;
  const TokenMessage hlo(HLO);
  EXPECT_EQ(empty + hlo, hlo);
  EXPECT_EQ(hlo + empty, hlo);
  EXPECT_TRUE((empty + empty).is_empty());
  EXPECT_EQ(tokens_of(empty & empty), (std::vector<Token>{BRA, KET}));
  EXPECT_EQ(tokens_of(hlo & empty), (std::vector<Token>{HLO, BRA, KET}));
  EXPECT_EQ(tokens_of(empty & hlo), (std::vector<Token>{BRA, HLO, KET}));

  const TokenMessage joined = HLO & ENG & Token::from_number(1234);
  EXPECT_EQ(tokens_of(joined),
            (std::vector<Token>{HLO, BRA, ENG, KET, BRA, Token::from_number(1234), KET}));
  EXPECT_EQ(joined.sub_message_count(), 3);
  EXPECT_EQ(tokens_of(ENG + AMY), (std::vector<Token>{ENG, AMY}));
  EXPECT_EQ(tokens_of(SUB + (ENG & AMY)), (std::vector<Token>{SUB, ENG, BRA, AMY, KET}));
  EXPECT_EQ(tokens_of((ENG + AMY) + LON), (std::vector<Token>{ENG, AMY, LON}));
  EXPECT_EQ(tokens_of((ENG + AMY) & LON), (std::vector<Token>{ENG, AMY, BRA, LON, KET}));
  EXPECT_EQ((TokenMessage(ENG) + AMY + LON).sub_message_count(), 3);
  EXPECT_EQ((SUB & (ENG + AMY + LON) & WVE).sub_message_count(), 3);
}

TEST(TokenMessage, PiecesWithOpenBracketsJoinIntoOneElement) {
  const TokenMessage msg = TokenMessage(BRA) + ENG + AMY + KET + HLD;
  EXPECT_EQ(msg.sub_message_count(), 2);
  EXPECT_EQ(tokens_of(msg.sub_message(0)), (std::vector<Token>{ENG, AMY}));
  EXPECT_EQ(msg.sub_message(1), TokenMessage(HLD));

  // Unbalanced pieces never make sub-message access leave the tokens.
  const TokenMessage open = TokenMessage(BRA) + ENG;
  EXPECT_EQ(open.sub_message(0), TokenMessage(ENG));
  const TokenMessage stray = TokenMessage(KET) + KET + BRA;
  EXPECT_EQ(stray.sub_message_count(), 3);
  EXPECT_EQ(stray.sub_message(1), TokenMessage(KET));
  EXPECT_EQ(stray.sub_message(2).length(), 0);
}

TEST(TokenMessage, EqualityNeedsTwoNonEmptyMessages) {
  const TokenMessage a;
  const TokenMessage b;
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a != b);
  const TokenMessage msg = HLO & ENG;
  const TokenMessage copy = msg;
  EXPECT_EQ(msg, copy);
  EXPECT_NE(msg, HLO & FRA);
  EXPECT_NE(msg, TokenMessage(HLO));
  EXPECT_EQ(from_tokens({}), from_tokens({}));
}

TEST(TokenMessage, CopyOutNeedsRoomForTheEndMarker) {
  const TokenMessage msg = HLO & ENG;
  std::vector<Token> buffer(5, Token(0x1234));
  EXPECT_FALSE(msg.copy_out(buffer.data(), 4));
  EXPECT_EQ(buffer[0], Token(0x1234));
  ASSERT_TRUE(msg.copy_out(buffer.data(), 5));
  EXPECT_EQ(buffer, (std::vector<Token>{HLO, BRA, ENG, KET, END_OF_MESSAGE}));
  EXPECT_FALSE(TokenMessage().copy_out(buffer.data(), 5));
}

}  // namespace
}  // namespace quorvel
