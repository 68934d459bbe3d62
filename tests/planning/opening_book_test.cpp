#include "planning/opening_book.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/planning_game.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::at;
using testing::PlanningGame;
using testing::province;

using Orders = std::vector<std::pair<int, Location>>;

OpeningLine line_of(const std::string& text) {
  std::string why;
  std::optional<OpeningLine> line = read_opening(text, &why);
  EXPECT_TRUE(line.has_value()) << text << ": " << why;
  return line.value_or(OpeningLine{});
}

TEST(OpeningBook, ReadsMovesHoldsAndCoastsInAnyCase) {
  const OpeningLine line = line_of("  a vie-gal A BUD-SER\tF TRI h F STP/SC-GOB F x-SPA/nc ");
  ASSERT_EQ(line.size(), 5u);
  EXPECT_TRUE(line[0].army);
  EXPECT_EQ(line[0].from, "VIE");
  EXPECT_EQ(line[0].to, "GAL");
  EXPECT_FALSE(line[2].army);
  EXPECT_EQ(line[2].to, "");
  EXPECT_EQ(line[3].from, "STP");
  EXPECT_EQ(line[3].from_coast, "SCS");
  EXPECT_EQ(line[3].coast, "");
  EXPECT_EQ(line[4].coast, "NCS");
  EXPECT_TRUE(line_of("").empty());
}

TEST(OpeningBook, SaysWhyALineDoesNotRead) {
  for (const auto& [text, fault] : std::vector<std::pair<std::string, std::string>>{
           {"X VIE-GAL", "'X' stands where a unit (A or F) should"},
           {"A", "a unit without its place and order"},
           {"A VIE", "the unit in VIE neither moves (-PLACE) nor holds (H)"},
           {"A VIE A BUD-SER", "the unit in VIE neither moves (-PLACE) nor holds (H)"},
           {"A VIE-", "'VIE-' is not a move from one place to another"},
           {"A VIENNA-GAL", "'VIENNA-GAL' is not a move from one place to another"},
           {"F STP/XC-GOB", "'STP/XC-GOB' is not a move from one place to another"},
           {"F SPA-GOL/SCSS", "'SPA-GOL/SCSS' is not a move from one place to another"},
           {"A VIE-GAL, A BUD-SER", "'VIE-GAL,' is not a move from one place to another"},
           {"A VIE-GAL F VIE H", "two orders for the unit in VIE"}}) {
    std::string why;
    EXPECT_FALSE(read_opening(text, &why).has_value()) << text;
    EXPECT_EQ(why, fault) << text;
  }
}

TEST(OpeningBook, OrdersTheLineOnlyWhereItsUnitsStand) {
  PlanningGame austria("AUS", testing::kStartSco, testing::kStartNow);
  const OpeningLine line = line_of("A VIE-GAL A BUD-SER F TRI H");
  EXPECT_EQ(opening_orders(line, *austria.board, *austria.options),
            (Orders{{province("VIE"), at("GAL", AMY)},
                    {province("BUD"), at("SER", AMY)},
                    {province("TRI"), at("TRI", FLT)}}))
      << "in the line's order";

  PlanningGame russia("RUS", testing::kStartSco, testing::kStartNow);
  EXPECT_EQ(opening_orders(line_of("F STP/SC-GOB A MOS-UKR A WAR-GAL F SEV-RUM"), *russia.board,
                           *russia.options),
            (Orders{{province("STP"), at("GOB", FLT)},
                    {province("MOS"), at("UKR", AMY)},
                    {province("WAR"), at("GAL", AMY)},
                    {province("SEV"), at("RUM", FLT)}}));

  // Another start, another power's line, a unit left out, the wrong unit type, a move
  // the unit cannot make, a coast the fleet cannot reach, a place not on the map: no
  // advice at all.
  PlanningGame moved("AUS", testing::kStartSco,
                     "NOW ( SPR 1901 ) ( AUS AMY GAL ) ( AUS AMY BUD ) ( AUS FLT TRI )");
  EXPECT_TRUE(opening_orders(line, *moved.board, *moved.options).empty());
  EXPECT_TRUE(opening_orders(line, *russia.board, *russia.options).empty());
  for (const char* text :
       {"A VIE-GAL A BUD-SER", "A VIE-GAL A BUD-SER A TRI H", "A VIE-GAL A BUD-SER F TRI-GAL",
        "A VIE-GAL A BUD-SER F TRI-ALB/SC", "A VIE-GAL A BUD-SER F TRI-XYZ"}) {
    EXPECT_TRUE(opening_orders(line_of(text), *austria.board, *austria.options).empty()) << text;
  }
  EXPECT_TRUE(opening_orders(line_of("F STP/NC-GOB A MOS-UKR A WAR-GAL F SEV-RUM"), *russia.board,
                             *russia.options)
                  .empty());
}

TEST(OpeningBook, GivesWayToWhatAgreementsForbid) {
  PlanningGame austria("AUS", testing::kStartSco, testing::kStartNow);
  std::vector<bool> galicia(static_cast<std::size_t>(austria.board->province_count), false);
  galicia[static_cast<std::size_t>(province("GAL"))] = true;
  austria.options->forbid(AUS.subtoken(), galicia);
  EXPECT_TRUE(
      opening_orders(line_of("A VIE-GAL A BUD-SER F TRI H"), *austria.board, *austria.options)
          .empty());
}

}  // namespace
}  // namespace quorvel
