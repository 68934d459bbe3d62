#include "valuation/value_table.h"

#include <gtest/gtest.h>

#include "settings/ini_store.h"

namespace quorvel {
namespace {

int slot(const ValueTable& table, int kind, int owner, int situation) {
  return table.weights[static_cast<std::size_t>(kind + owner + situation)];
}

TEST(ValueTable, KeysNameSlotsAndValuesAddUp) {
  ValueTable table;
  EXPECT_TRUE(table.add_key("sc", 10));
  EXPECT_TRUE(table.add_key("enemysclost", 5));
  EXPECT_EQ(slot(table, kSupplyCentreKind, kEnemyOwner, kLostClass), 15);
  EXPECT_EQ(slot(table, kSupplyCentreKind, kMyOwner, kOwnedClass), 10);
  EXPECT_EQ(slot(table, kHomeCentreKind, kEnemyOwner, kLostClass), 0);

  ValueTable named;
  EXPECT_TRUE(named.add_key("MyScOwned", 1));
  EXPECT_TRUE(named.add_key("enemyhcnearborder", 2));
  EXPECT_TRUE(named.add_key("neutralsc", 4));
  EXPECT_TRUE(named.add_key("sclost", 8));
  EXPECT_TRUE(named.add_key("hc", 16));
  EXPECT_EQ(slot(named, kSupplyCentreKind, kMyOwner, kOwnedClass), 1);
  EXPECT_EQ(slot(named, kHomeCentreKind, kEnemyOwner, kNearBorderClass), 18);
  EXPECT_EQ(slot(named, kSupplyCentreKind, kNeutralOwner, kFarBorderClass), 4);
  EXPECT_EQ(slot(named, kSupplyCentreKind, kNeutralOwner, kLostClass), 12);
  EXPECT_EQ(slot(named, kSupplyCentreKind, kEnemyOwner, kLostClass), 8);
  EXPECT_EQ(slot(named, kHomeCentreKind, kMyOwner, kFarBorderClass), 16);
}

TEST(ValueTable, SupplyCentreKeyOfAnyCaseFillsTwelveSlots) {
  ValueTable table;
  EXPECT_TRUE(table.add_key("SC", 1));
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(table.weights[static_cast<std::size_t>(i)], 1);
  for (int i = 12; i < 24; ++i)
    EXPECT_EQ(table.weights[static_cast<std::size_t>(i)], 0);
}

TEST(ValueTable, BorderWeights) {
  ValueTable table;
  EXPECT_TRUE(table.add_key("Border", 3));
  EXPECT_TRUE(table.add_key("innerborder", 1));
  EXPECT_TRUE(table.add_key("OUTERBORDER", 2));
  EXPECT_EQ(table.inner_border, 4);
  EXPECT_EQ(table.outer_border, 5);
}

TEST(ValueTable, UnknownKeysChangeNothingAndAreReported) {
  IniStore store;
  store.setValue("OwnValues", "enemyscx", "5", true);
  store.setValue("OwnValues", "bordr", "5", true);
  store.setValue("OwnValues", "yoursc", "5", true);
  store.setValue("OwnValues", "hc", "2", true);
  ValueTable table;
  EXPECT_EQ(table.add_section(store, "OwnValues"),
            (std::vector<std::string>{"enemyscx", "bordr", "yoursc"}));
  EXPECT_EQ(table.weights[12], 2);
  EXPECT_EQ(table.weights[0], 0);
  EXPECT_EQ(table.inner_border, 0);
}

}  // namespace
}  // namespace quorvel
