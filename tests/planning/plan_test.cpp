#include "planning/plan.h"

#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "support/planning_game.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::at;
using testing::parse;
using testing::PlanningGame;
using testing::province;

// English units around the North Sea, with a French army nearby.
const char* const kNorth =
    "NOW ( SPR 1901 ) ( ENG FLT NTH ) ( ENG FLT ECH ) ( ENG AMY YOR ) ( ENG AMY WAL ) "
    "( ENG FLT LON ) ( FRA AMY PIC )";

class PlanTest : public ::testing::Test {
 protected:
  PlanningGame game{"ENG", testing::kStartSco, kNorth};
  std::unique_ptr<Plan> plan = game.held_plan();

  PlanOrder& order(const std::string& name) { return *plan->orderAt(province(name)); }
  bool claimed_by(const std::string& where, const std::string& unit) {
    return plan->claimant(province(where)) == &order(unit);
  }
};

TEST_F(PlanTest, ASecondMoverBumpsTheFirstIntoSupporting) {
  ASSERT_TRUE(plan->setTarget(order("YOR"), at("EDI", AMY), false));
  ASSERT_TRUE(plan->setTarget(order("NTH"), at("EDI", FLT), false));
  EXPECT_TRUE(claimed_by("EDI", "NTH"));
  EXPECT_TRUE(order("YOR").supporting);
  EXPECT_TRUE(claimed_by("YOR", "YOR"));
  EXPECT_EQ(order("YOR").targetProvince(), province("EDI"));
}

TEST_F(PlanTest, AMoveIntoAHoldersProvinceFailsAndRestores) {
  ASSERT_TRUE(plan->setTarget(order("NTH"), at("EDI", FLT), false));
  EXPECT_FALSE(plan->setTarget(order("YOR"), at("LON", AMY), false));
  EXPECT_EQ(order("YOR").target, at("YOR", AMY));
  EXPECT_TRUE(claimed_by("YOR", "YOR"));
  EXPECT_TRUE(claimed_by("LON", "LON"));
}

TEST_F(PlanTest, AConvoyedArmyIsNeverBumped) {
  PlanningGame convoy("ENG", testing::kStartSco,
                      "NOW ( SPR 1901 ) ( ENG AMY YOR ) ( ENG FLT NTH ) ( ENG FLT ECH )");
  auto p = convoy.held_plan();
  PlanOrder& army = *p->orderAt(province("YOR"));
  PlanOrder& fleet = *p->orderAt(province("NTH"));
  ASSERT_TRUE(p->linkConvoy(province("YOR"), province("YOR"), province("NTH")));
  ASSERT_TRUE(p->checkConvoy(province("YOR")));
  ASSERT_TRUE(p->setTarget(army, at("BEL", AMY), false));
  EXPECT_TRUE(army.isConvoyedArmy());
  EXPECT_TRUE(fleet.isConvoying());
  EXPECT_FALSE(p->setTarget(*p->orderAt(province("ECH")), at("BEL", FLT), false));
  EXPECT_EQ(p->claimant(province("BEL")), &army);
  // A convoying fleet can only hold.
  EXPECT_FALSE(p->setTarget(fleet, at("HOL", FLT), false));
  EXPECT_FALSE(p->setTarget(fleet, at("NTH", FLT), true));
  EXPECT_TRUE(p->setTarget(fleet, at("NTH", FLT), false));
  EXPECT_EQ(p->convoyRoute(province("YOR")), std::vector<int>{province("NTH")});
  EXPECT_EQ(p->convoyTail(army).province(), province("NTH"));
  // The army draws its next targets from the fleet's own candidates.
  EXPECT_EQ(&p->candidatesOf(army), &fleet.ownCandidates);
  p->unlinkConvoy(province("YOR"));
  EXPECT_FALSE(fleet.isConvoying());
  EXPECT_TRUE(p->convoyRoute(province("YOR")).empty());
}

TEST(PlanText, PhrasesOfEveryPhase) {
  PlanningGame spring("ENG", testing::kStartSco,
                      "NOW ( SPR 1901 ) ( ENG AMY YOR ) ( ENG FLT NTH ) ( ENG FLT ( STP NCS ) )");
  auto plan = spring.held_plan();
  ASSERT_TRUE(plan->linkConvoy(province("YOR"), province("YOR"), province("NTH")));
  ASSERT_TRUE(plan->setTarget(*plan->orderAt(province("YOR")), at("BEL", AMY), false));
  ASSERT_TRUE(plan->setTarget(*plan->orderAt(province("STP")), at("NWY", FLT), false));
  EXPECT_EQ(plan->toText(),
            "NTH convoys Yor (value: 0)\r\n"
            "Yor moves to Bel by convoy via NTH (value: 0)\r\n"
            "Stp moves to Nwy (value: 0)\r");

  PlanningGame winter("RUS", "SCO ( RUS MOS STP )", "NOW ( WIN 1901 ) ( RUS FLT BAR )");
  auto builds = winter.held_plan();
  ASSERT_TRUE(builds->setTarget(*builds->orderAt(-1), at("STP", NCS), false));
  EXPECT_EQ(builds->toText(), "Build Fleet at / Retreat to Stp/nc (value: 0)\r");
}

TEST(PlanOrders, RemovalsMeetTheCountExactly) {
  PlanningGame game("ENG", "SCO ( ENG LON )",
                    "NOW ( WIN 1901 ) ( ENG FLT NTH ) ( ENG AMY YOR ) ( ENG FLT ECH ) "
                    "( ENG AMY WAL )");
  ASSERT_EQ(game.board->adjustment_count, 3);
  auto keep = game.held_plan();
  keep->toOrders(*game.board);
  EXPECT_EQ(game.board->build_submission(),
            parse("SUB ( ( ENG FLT ECH ) REM ) ( ( ENG FLT NTH ) REM ) ( ( ENG AMY WAL ) REM )"));

  PlanningGame two("ENG", "SCO ( ENG LON EDI )",
                   "NOW ( WIN 1901 ) ( ENG FLT NTH ) ( ENG AMY YOR ) ( ENG FLT ECH ) "
                   "( ENG AMY WAL )");
  ASSERT_EQ(two.board->adjustment_count, 2);
  auto all = two.held_plan();
  for (PlanOrder& o : all->orders()) {
    if (o.province() != province("ECH")) {
      ASSERT_TRUE(all->setTarget(o, {leaving(o.province()), Token()}, false));
    }
  }
  // A plan that removes more than owed writes only the count owed.
  all->toOrders(*two.board);
  EXPECT_EQ(two.board->build_submission(),
            parse("SUB ( ( ENG AMY WAL ) REM ) ( ( ENG AMY YOR ) REM )"));
}

TEST(PlanOrders, BuildSlotsThatDoNotBuildAreWaivedTogether) {
  PlanningGame game("ENG", "SCO ( ENG LON EDI LVP )", "NOW ( WIN 1901 ) ( ENG FLT NTH )");
  ASSERT_EQ(game.board->adjustment_count, -2);
  auto plan = game.held_plan();
  ASSERT_TRUE(plan->setTarget(*plan->orderAt(-1), at("LON", AMY), false));
  // The second slot wants London too: the first gives way and waives.
  ASSERT_TRUE(plan->setTarget(*plan->orderAt(-2), at("LON", FLT), false));
  plan->toOrders(*game.board);
  EXPECT_EQ(game.board->waive_count, 1);
  EXPECT_EQ(game.board->build_submission(), parse("SUB ( ( ENG FLT LON ) BLD ) ( ENG WVE )"));
}

TEST(PlanOrders, RetreatsAndDisbands) {
  PlanningGame game("ENG", testing::kStartSco,
                    "NOW ( AUT 1901 ) ( ENG AMY BEL MRT ( PIC HOL ) ) ( FRA AMY BEL ) "
                    "( ENG AMY HOL ) ( ENG AMY BOH MRT ( GAL ) ) ( GER AMY BOH )");
  auto plan = game.held_plan();
  // Holland is held by the bot's own unit: the retreat there fails.
  PlanOrder& bel = *plan->orderAt(leaving(province("BEL")));
  EXPECT_FALSE(plan->setTarget(bel, at("HOL", AMY), false));
  ASSERT_TRUE(plan->setTarget(bel, at("PIC", AMY), false));
  plan->toOrders(*game.board);
  EXPECT_EQ(game.board->build_submission(),
            parse("SUB ( ( ENG AMY BOH ) DSB ) ( ( ENG AMY BEL ) RTO PIC )"));
}

}  // namespace
}  // namespace quorvel
