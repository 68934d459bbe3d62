#include "savedgame/order_text.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "rules/rules_map.h"
#include "rules/standard_map.h"
#include "support/messages.h"

namespace quorvel::savedgame {
namespace {

using namespace tok;

rules::RulesMap standard_map() {
  rules::RulesMap map;
  map.load(rules::standard_map_file().mdf);
  return map;
}

class OrderText : public ::testing::Test {
 protected:
  rules::RulesMap map = standard_map();
  MapNames names{map};
};

TEST_F(OrderText, EveryKindOfOrderReadsAndIsWrittenAlike) {
  for (const char* text :
       {"A PAR H", "A PAR - BUR", "F BRE - SPA/NC", "A YOR - NWY VIA", "A PAR S F BRE",
        "A PAR S A MAR - BUR", "F NTH C A YOR - NWY", "A MUN R BOH", "A MUN D", "A PAR B",
        "F STP/NC B", "WAIVE", "F ENG - LYO", "F BOT - SWE", "F BUL/EC S A CON"}) {
    std::string why;
    const std::optional<TextOrder> order = read_order(names, text, &why);
    ASSERT_TRUE(order) << text << ": " << why;
    EXPECT_EQ(order_text(names, *order), text);
  }
}

TEST_F(OrderText, TheTokensNamesOfTheSeasReadTooAndAFleetFindsItsCoast) {
  const std::optional<TextOrder> channel = read_order(names, "F ECH - MAO");
  ASSERT_TRUE(channel);
  EXPECT_EQ(order_text(names, *channel), "F ENG - MAO");
  // One coast of Spain is reached from Gascony: the move without a coast goes there.
  const std::optional<TextOrder> spain = read_order(names, "F GAS - SPA");
  ASSERT_TRUE(spain);
  EXPECT_EQ(order_text(names, *spain), "F GAS - SPA/NC");
}

TEST_F(OrderText, WhatIsNoOrderSaysWhy) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "a unit is missing"},
      {"A", "the unit has no province"},
      {"X PAR H", "'X' is no unit type"},
      {"A XYZ H", "'XYZ' is no place"},
      {"F STP/EC H", "'STP/EC' is no place"},
      {"A PAR", "no action"},
      {"A PAR - ", "is no order"},
      {"A PAR Z BUR", "is no order"},
      {"F NTH C A YOR", "a convoy names where the army goes"},
      {"A PAR R BUR VIA", "a retreat goes by no convoy"},
      {"A PAR S A MAR - XYZ", "'XYZ' is no place"},
  };
  for (const auto& [text, reason] : cases) {
    std::string why;
    EXPECT_FALSE(read_order(names, text, &why)) << text;
    EXPECT_NE(why.find(reason), std::string::npos) << text << ": " << why;
  }
}

TEST_F(OrderText, OrdersInTheClientsTokensReadAsText) {
  const std::pair<const char*, const char*> cases[] = {
      {"( FRA AMY PAR ) MTO BUR", "A PAR - BUR"},
      {"( RUS FLT ( STP SCS ) ) MTO GOB", "F STP/SC - BOT"},
      {"( ENG AMY YOR ) CTO NWY VIA ( NTH )", "A YOR - NWY VIA"},
      {"( ENG FLT NTH ) CVY ( ENG AMY YOR ) CTO NWY", "F NTH C A YOR - NWY"},
      {"( FRA AMY MAR ) SUP ( FRA AMY PAR ) MTO BUR", "A MAR S A PAR - BUR"},
      {"( FRA AMY MAR ) SUP ( FRA FLT BRE )", "A MAR S F BRE"},
      {"( GER AMY MUN ) RTO BOH", "A MUN R BOH"},
      {"( GER AMY MUN ) DSB", "A MUN D"},
      {"( GER AMY MUN ) REM", "A MUN D"},
      {"( GER FLT KIE ) BLD", "F KIE B"},
      {"GER WVE", "WAIVE"},
      {"( GER AMY MUN ) HLD", "A MUN H"},
  };
  for (const auto& [tokens, text] : cases)
    EXPECT_EQ(order_text(names, testing::parse(tokens)), text) << tokens;
  EXPECT_EQ(order_text(names, testing::parse("( GER AMY MUN ) YES")), "");
  EXPECT_EQ(order_text(names, testing::parse("HLD")), "");
}

}  // namespace
}  // namespace quorvel::savedgame
