#include "planning/unit_option_table.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/planning_game.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::at;
using testing::PlanningGame;
using testing::province;

TEST(UnitOptionTable, MovementOffersEveryAdjacentPlaceAndTheHold) {
  PlanningGame game("FRA", testing::kStartSco, testing::kStartNow);
  const auto& options = game.options->options();
  EXPECT_EQ(options.size(), 22u);
  const UnitOption& mao_fleet = options.at(province("BRE"));
  EXPECT_EQ(mao_fleet.candidates,
            LocationSet::of(std::vector<Location>{at("BRE", FLT), at("ECH", FLT), at("GAS", FLT),
                                                  at("MAO", FLT), at("PIC", FLT)}));
  EXPECT_EQ(options.at(province("STP")).candidates.size(), 4u);
  EXPECT_EQ(options.at(province("MOS")).power, RUS.subtoken());
}

TEST(UnitOptionTable, RetreatsAndTheUnitsThatStay) {
  PlanningGame game("AUS", testing::kStartSco,
                    "NOW ( SUM 1901 ) ( AUS AMY SER MRT ( ALB BUD ) ) ( TUR AMY SER ) "
                    "( AUS AMY BOH MRT ( GAL ) ) ( GER AMY BOH )");
  const auto& options = game.options->options();
  // Each province with a dislodged unit has two entries, one below zero.
  ASSERT_EQ(options.size(), 4u);
  const int ser = province("SER");
  EXPECT_EQ(
      options.at(leaving(ser)).candidates,
      LocationSet::of(std::vector<Location>{{leaving(ser), AMY}, at("ALB", AMY), at("BUD", AMY)}));
  EXPECT_EQ(options.at(ser).candidates, LocationSet::of(std::vector<Location>{at("SER", AMY)}));
  // Bohemia is province 0: its leaving unit must not share the key of the one that stays.
  ASSERT_EQ(province("BOH"), 0);
  EXPECT_EQ(options.at(-1).power, AUS.subtoken());
  EXPECT_EQ(options.at(0).power, GER.subtoken());
}

TEST(UnitOptionTable, RemovalsComeFirstInCandidateOrder) {
  PlanningGame game("ENG", "SCO ( ENG LON )", "NOW ( WIN 1901 ) ( ENG FLT NTH ) ( ENG AMY YOR )");
  ASSERT_EQ(game.board->adjustment_count, 1);
  const UnitOption& nth = game.options->options().at(province("NTH"));
  EXPECT_EQ(nth.candidates.front(), (Location{leaving(province("NTH")), Token()}));
  EXPECT_EQ(nth.candidates.size(), 2u);
}

TEST(UnitOptionTable, BuildSlotsOfferOwnEmptyHomeCentresPerCoast) {
  PlanningGame game("RUS", "SCO ( RUS MOS SEV STP WAR RUM SWE ) ( GER BER )",
                    "NOW ( WIN 1901 ) ( RUS AMY WAR ) ( RUS FLT SWE ) ( GER AMY SEV )");
  ASSERT_EQ(game.board->adjustment_count, -4);
  const auto& options = game.options->options();
  ASSERT_EQ(options.size(), 4u);
  // Moscow is empty; St Petersburg offers the army and both coasts; Sevastopol holds a
  // foreign unit and Warsaw one of the bot's.
  EXPECT_EQ(options.at(-2).candidates,
            LocationSet::of(std::vector<Location>{
                {-2, Token()}, at("MOS", AMY), at("STP", AMY), at("STP", NCS), at("STP", SCS)}));

  PlanningGame none("RUS", "SCO ( RUS RUM SWE ) ( GER MOS SEV STP WAR )",
                    "NOW ( WIN 1901 ) ( RUS FLT SWE )");
  ASSERT_EQ(none.board->adjustment_count, -1);
  EXPECT_EQ(none.options->options().at(-1).candidates,
            LocationSet::of(std::vector<Location>{{-1, Token()}}));
}

TEST(UnitOptionTable, NoDecisionsWithoutAnAdjustment) {
  PlanningGame game("ENG", "SCO ( ENG LON EDI )",
                    "NOW ( WIN 1901 ) ( ENG FLT NTH ) ( ENG AMY YOR )");
  EXPECT_TRUE(game.options->options().empty());
}

}  // namespace
}  // namespace quorvel
