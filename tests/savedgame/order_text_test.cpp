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

// Orders the rules took are written as the field writes them, whatever they support.
TEST_F(OrderText, OrdersTheRulesTookReadAsText) {
  rules::Position position;
  position.units[names.province("PAR")] = rules::Unit{2, AMY, Location{names.province("PAR"), AMY}};
  const int stp = names.province("STP");
  position.units[stp] = rules::Unit{5, FLT, Location{stp, SCS}};
  const int par = names.province("PAR"), bur = names.province("BUR"), mar = names.province("MAR");
  const int bot = names.province("BOT"), nwy = names.province("NWY");
  using rules::Order;
  const std::pair<Order, const char*> cases[] = {
      {Order{OrderKind::kMove, 5, position.units[stp], Location{bot, FLT}, -1, -1, {}},
       "F STP/SC - BOT"},
      {Order{OrderKind::kSupportMove, 2, rules::Unit{2, AMY, Location{mar, AMY}}, {}, par, bur, {}},
       "A MAR S A PAR - BUR"},
      {Order{OrderKind::kSupportHold, 2, rules::Unit{2, AMY, Location{mar, AMY}}, {}, stp, -1, {}},
       "A MAR S F STP/SC"},
      {Order{OrderKind::kConvoyedMove, 2, position.units[par], Location{nwy, AMY}, -1, -1, {}},
       "A PAR - NWY VIA"},
      {Order{OrderKind::kRemove, 2, position.units[par], {}, -1, -1, {}}, "A PAR D"},
      {Order{OrderKind::kBuild, 5, rules::Unit{5, FLT, Location{stp, NCS}}, {}, -1, -1, {}},
       "F STP/NC B"},
      {Order{OrderKind::kWaive, 5, {}, {}, -1, -1, {}}, "WAIVE"},
  };
  for (const auto& [order, text] : cases)
    EXPECT_EQ(order_text(names, text_order(order, position)), text);
}

}  // namespace
}  // namespace quorvel::savedgame
