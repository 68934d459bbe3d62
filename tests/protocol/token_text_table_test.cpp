#include "protocol/token_text_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "protocol/token_message.h"
#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel {
namespace {

std::vector<std::pair<Token, std::string>> all_named_texts() {
  std::vector<std::pair<Token, std::string>> texts;
#define QUORVEL_LIST_TOKEN(name, value) texts.emplace_back(tok::name, #name);
  QUORVEL_TEXT_TOKENS(QUORVEL_LIST_TOKEN)
#undef QUORVEL_LIST_TOKEN
  return texts;
}

// Each standard text names its token both ways, and a message of it parses and prints back.
TEST(TokenTextTable, HoldsTheStandardTextsAndThoseOfPress) {
  const TokenTextTable table;
  const auto texts = all_named_texts();
  ASSERT_EQ(texts.size(), 212u);
  std::set<Token> distinct;
  for (const auto& [token, name] : texts) {
    distinct.insert(token);
    const std::string text = token == tok::BRA ? "(" : token == tok::KET ? ")" : name;
    EXPECT_EQ(table.text_of(token), text) << name;
    EXPECT_EQ(table.token_of(text), token) << name;
    if (token == tok::BRA || token == tok::KET) continue;
    TokenMessage message;
    ASSERT_EQ(message.parse_text(name), -1) << name;
    EXPECT_EQ(message, TokenMessage(token)) << name;
    EXPECT_EQ(message.to_text(), name + " ");
  }
  EXPECT_EQ(distinct.size(), 212u);
  EXPECT_FALSE(table.token_of("BRA"));
  EXPECT_FALSE(table.text_of(Token(0x440F)));
  TokenMessage brackets;
  ASSERT_EQ(brackets.parse_text("( )"), -1);
  EXPECT_EQ(brackets.to_text(), "( ) ");
}

TEST(TokenTextTable, AddRefusesATakenTokenOrText) {
  TokenTextTable table;
  EXPECT_FALSE(table.add(Token(0x4107), "ENG"));
  EXPECT_FALSE(table.text_of(Token(0x4107)));
  EXPECT_EQ(table.token_of("ENG"), tok::ENG);
  EXPECT_FALSE(table.add(tok::ENG, "XXX"));
  EXPECT_FALSE(table.token_of("XXX"));
  EXPECT_TRUE(table.add(Token(0x4107), "XXX"));
  EXPECT_EQ(table.token_of("XXX"), Token(0x4107));
}

TEST(TokenTextTable, ClearingPowersAndProvincesKeepsTheRest) {
  TokenTextTable table;
  table.clear_powers_and_provinces();
  EXPECT_EQ((TokenMessage(tok::HLO) & tok::ENG & tok::STP & tok::WVE).to_text(table),
            "HLO ( ??? ) ( ??? ) ( WVE ) ");
  EXPECT_FALSE(table.token_of("ENG"));
  EXPECT_FALSE(table.token_of("STP"));
  EXPECT_TRUE(table.add(tok::ENG, "ANG"));
  EXPECT_EQ(TokenMessage(tok::ENG).to_text(table), "ANG ");
  TokenMessage parsed;
  EXPECT_EQ(parsed.parse_text("ang", table), -1);
  EXPECT_EQ(parsed.first_token(), tok::ENG);
  // The standard table is not changed by any other.
  EXPECT_EQ(TokenMessage(tok::ENG).to_text(), "ENG ");
}

}  // namespace
}  // namespace quorvel
