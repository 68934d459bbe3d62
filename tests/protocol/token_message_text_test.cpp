#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/token_message.h"
#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel {
namespace {

using namespace tok;

std::vector<Token> tokens_of(const TokenMessage& message) {
  std::vector<Token> tokens;
  for (int i = 0; i < message.length(); ++i)
    tokens.push_back(message.token_at(i));
  return tokens;
}

TokenMessage text_tokens(const std::string& chars) {
  TokenMessage message;
  for (char c : chars)
    message = message + Token::from_char(c);
  return message;
}

int parse(const std::string& text, TokenMessage* out = nullptr) {
  TokenMessage message;
  const int result = message.parse_text(text);
  if (out != nullptr) *out = message;
  return result;
}

TEST(TokenMessageText, PrintsEachTokenFollowedByASpace) {
  const TokenMessage hlo = HLO & ENG & Token::from_number(1234);
  EXPECT_EQ(hlo.to_text(), "HLO ( ENG ) ( 1234 ) ");
  EXPECT_EQ(TokenMessage(Token::from_number(-8192)).to_text(), "-8192 ");
  EXPECT_EQ(TokenMessage().to_text(), "");
  EXPECT_EQ(TokenMessage(Token(0x4B00 | 'x')).to_text(), "'x' ");
  EXPECT_EQ(TokenMessage(Token(0x6000)).to_text(), "??? ");
}

TEST(TokenMessageText, PrintsRunsOfTextTokensAsQuotedStrings) {
  const TokenMessage nme = NME & text_tokens("Quorvel") & text_tokens("1.1");
  EXPECT_EQ(nme.to_text(), "NME ( 'Quorvel' ) ( '1.1' ) ");
  // Apostrophes inside are not doubled; a message ending in a string still closes it.
  EXPECT_EQ((ADM + text_tokens("it's")).to_text(), "ADM 'it's' ");
  EXPECT_EQ((text_tokens("ab") + Token::from_number(3) + text_tokens("c")).to_text(),
            "'ab' 3 'c' ");
}

TEST(TokenMessageText, ParsesWordsNumbersBracketsAndStrings) {
  TokenMessage msg;
  ASSERT_EQ(parse("hlo (eng)", &msg), -1);
  EXPECT_EQ(tokens_of(msg), (std::vector<Token>{HLO, BRA, ENG, KET}));
  ASSERT_EQ(parse("  NOW(SPR 1901)(ENG AMY LON)  ", &msg), -1);
  EXPECT_EQ(msg.sub_message_count(), 3);
  EXPECT_EQ(msg.sub_message(1).token_at(1).number(), 1901);
  ASSERT_EQ(parse("-5", &msg), -1);
  EXPECT_EQ(msg.first_token().value(), 0x3FFB);
  ASSERT_EQ(parse("- 7", &msg), -1);
  EXPECT_EQ(tokens_of(msg), (std::vector<Token>{Token::from_number(0), Token::from_number(7)}));
  ASSERT_EQ(parse("", &msg), -1);
  EXPECT_EQ(msg.length(), 0);
  ASSERT_EQ(parse("''", &msg), -1);
  EXPECT_EQ(msg.length(), 0);
}

TEST(TokenMessageText, NumbersWrapToFourteenBits) {
  TokenMessage msg;
  ASSERT_EQ(parse("8191 8192 16384 16385 -8193 99999999999999999999", &msg), -1);
  // 99999999999999999999 leaves 16383 modulo 16384.
  EXPECT_EQ(msg.to_text(), "8191 -8192 0 1 8191 -1 ");
}

TEST(TokenMessageText, AdjacentStringsJoinWithAnApostrophe) {
  TokenMessage msg;
  ASSERT_EQ(parse("'it''s'", &msg), -1);
  EXPECT_EQ(msg, text_tokens("it's"));
  ASSERT_EQ(parse("'ab'  'cd'", &msg), -1);
  EXPECT_EQ(msg, text_tokens("ab'cd"));
  ASSERT_EQ(parse("'ab' ENG 'cd'", &msg), -1);
  EXPECT_EQ(msg, text_tokens("ab") + ENG + text_tokens("cd"));
  // Characters inside a string are taken as they are.
  ASSERT_EQ(parse("'(x) 1'", &msg), -1);
  EXPECT_EQ(msg, text_tokens("(x) 1"));
}

TEST(TokenMessageText, ErrorPositions) {
  EXPECT_EQ(parse("HLO (XYZ)"), 5);
  EXPECT_EQ(parse("'ab"), 3);
  EXPECT_EQ(parse("( ENG"), 5);
  EXPECT_EQ(parse(")"), 0);
  EXPECT_EQ(parse("HLO ) ("), 4);
  EXPECT_EQ(parse("HLO\tENG"), 3);
  EXPECT_EQ(parse("EN"), 0);
  EXPECT_EQ(parse("HLO E"), 4);
  EXPECT_EQ(parse("HLO E1G"), 4);
  EXPECT_EQ(parse("HLO #"), 4);
  EXPECT_EQ(parse("ENG\xC3\xA9"), 3);
  EXPECT_EQ(parse("NOW ( SPR 1901 ) 'x"), 19);
}

TEST(TokenMessageText, AFailedParseKeepsTheMessage) {
  TokenMessage msg = HLO & ENG;
  EXPECT_EQ(msg.parse_text("HLO (XYZ)"), 5);
  EXPECT_EQ(msg, HLO & ENG);
  TokenMessage empty;
  EXPECT_EQ(empty.parse_text("(("), 2);
  EXPECT_TRUE(empty.is_empty());
}

}  // namespace
}  // namespace quorvel
