#include "planning/plan_search.h"

#include <gtest/gtest.h>

#include <set>

#include "protocol/tokens.h"
#include "support/planning_game.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::at;
using testing::PlanningGame;
using testing::province;

// France in the middle of things, with fleets at sea for convoys.
const char* const kCrowded =
    "NOW ( FAL 1906 ) ( FRA AMY BRE ) ( FRA AMY PAR ) ( FRA FLT MAO ) ( FRA FLT ( SPA SCS ) ) "
    "( FRA AMY BUR ) ( FRA AMY BEL ) ( FRA AMY HOL ) ( FRA FLT NTH ) ( FRA AMY KIE ) "
    "( FRA AMY MUN ) ( FRA FLT LON ) ( FRA AMY YOR ) ( FRA FLT WES ) ( FRA FLT TYS ) "
    "( FRA AMY PIE ) ( FRA AMY TYR ) ( FRA FLT HEL ) ( GER AMY BER ) ( GER FLT SKA ) "
    "( GER AMY SIL ) ( RUS AMY WAR ) ( AUS AMY VIE ) ( AUS AMY BOH ) ( AUS AMY VEN ) "
    "( AUS FLT ADR ) ( TUR FLT ION ) ( ITA AMY ROM ) ( ITA AMY NAP ) ( ITA AMY TUN )";

const std::vector<std::string> kWeights{"OwnValues:sc=100",     "OwnValues:enemysclost=40",
                                        "DistOccValues:sc=100", "DistOccValues:hc=50",
                                        "ExtraOccValues:sc=20", "ValueDistribution:convoy=0.5"};

// Every invariant the plan keeps, checked from outside.
void expect_consistent(const Plan& plan) {
  const ProvinceValuation& valuation = plan.valuation();
  std::set<int> ends;
  for (const PlanOrder& order : plan.orders()) {
    const int end = order.endProvince();
    EXPECT_EQ(plan.claimant(end), &order) << "claim of " << end;
    EXPECT_TRUE(ends.insert(end).second) << "two orders end in " << end;
    if (end != order.province() && plan.claimant(order.province()) != nullptr) {
      EXPECT_NE(plan.claimant(order.province())->province(), end) << "swap";
    }
    if (order.supporting) {
      const PlanOrder* supported = plan.claimant(order.targetProvince());
      EXPECT_TRUE(supported != nullptr && supported != &order) << "support of nobody";
    }
    if (order.isArmy()) {
      EXPECT_NE(order.target.coast, FLT) << "army aims at a convoy step";
    }
    // Only a convoy carries a unit beyond the places it reaches itself.
    if (!order.isConvoyedArmy() && order.targetProvince() != order.province()) {
      bool reaches = false;
      for (const Location& place : order.unit->candidates)
        reaches = reaches || place.province == order.targetProvince();
      EXPECT_TRUE(reaches) << order.province() << " aims at " << order.targetProvince();
    }
    if (order.isConvoyedArmy()) {
      EXPECT_FALSE(order.supporting);
      int next = order.convoyNext;
      for (int step = 0; next != -10000 && step < 40; ++step) {
        const PlanOrder* fleet = plan.orderAt(next);
        ASSERT_NE(fleet, nullptr);
        EXPECT_FALSE(fleet->isArmy());
        EXPECT_FALSE(valuation.isLandProvince(next));
        EXPECT_EQ(fleet->convoyedArmy, order.province());
        EXPECT_TRUE(fleet->staysPut() && !fleet->supporting);
        next = fleet->convoyNext == fleet->province() ? -10000 : fleet->convoyNext;
      }
    }
  }
  EXPECT_EQ(plan.claimedProvinces().size(), plan.orders().size());
}

class PlanSearchTest : public ::testing::Test {};

TEST_F(PlanSearchTest, ConvoyCandidatesFollowTheBotsFleetsAtSea) {
  PlanningGame game("FRA", testing::kStartSco, kCrowded, kWeights);
  auto plan = game.held_plan();
  addConvoyCandidates(*plan);
  // An army on the coast of the Channel's fleet-less sea gets no step; Yorkshire's army
  // steps onto the North Sea.
  const PlanOrder& brest = *plan->orderAt(province("BRE"));
  EXPECT_TRUE(brest.ownCandidates.contains(at("MAO", FLT)));
  EXPECT_FALSE(brest.ownCandidates.contains(at("ECH", FLT)));
  EXPECT_TRUE(plan->orderAt(province("YOR"))->ownCandidates.contains(at("NTH", FLT)));
  // A fleet at sea: landings, and the next fleet of a chain.
  const PlanOrder& north = *plan->orderAt(province("NTH"));
  EXPECT_TRUE(north.ownCandidates.contains(at("EDI", AMY)));
  EXPECT_TRUE(north.ownCandidates.contains(at("HEL", FLT)));
  EXPECT_FALSE(north.ownCandidates.contains(at("SKA", FLT)));
  // A fleet on a coast gets nothing.
  EXPECT_TRUE(plan->orderAt(province("LON"))->ownCandidates.empty());
  // An inland army has nothing to step onto.
  EXPECT_EQ(plan->orderAt(province("PAR"))->ownCandidates,
            plan->orderAt(province("PAR"))->unit->candidates);
}

TEST_F(PlanSearchTest, RandomPlansAndMutationsKeepThePlanConsistent) {
  PlanningGame game("FRA", testing::kStartSco, kCrowded, kWeights);
  int convoys = 0;
  int supports = 0;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    game.random = RandomSource(seed);
    auto plan = game.plan();
    addConvoyCandidates(*plan);
    randomize(*plan);
    expect_consistent(*plan);
    for (int i = 0; i < 200; ++i) {
      mutate(*plan);
      if (i % 20 == 0) expect_consistent(*plan);
    }
    expect_consistent(*plan);
    for (const PlanOrder& order : plan->orders()) {
      convoys += order.isConvoyedArmy();
      supports += order.supporting;
    }
    if (::testing::Test::HasFailure()) FAIL() << "seed " << seed;
  }
  // The changes reach every kind of order.
  EXPECT_GT(convoys, 0);
  EXPECT_GT(supports, 0);
}

TEST_F(PlanSearchTest, CopiesStayConsistentAndIndependent) {
  PlanningGame game("FRA", testing::kStartSco, kCrowded, kWeights);
  game.random = RandomSource(5);
  auto best = game.plan();
  addConvoyCandidates(*best);
  randomize(*best);
  Plan work(game.random);
  for (int i = 0; i < 100; ++i) {
    work.assign(*best);
    const std::string before = best->toText();
    for (int k = 0; k < 5; ++k)
      mutate(work);
    expect_consistent(work);
    EXPECT_EQ(best->toText(), before);
    if (i % 3 == 0) best->assign(work);
  }
}

TEST_F(PlanSearchTest, EvaluationCountFollowsTheSchedule) {
  PlanningGame game("FRA", testing::kStartSco, kCrowded, kWeights);
  game.random = RandomSource(3);
  AnnealingSettings settings;
  settings.curve = ShapeCurve::build(settings.iterations, 20, 20, 1, 1);

  auto best = game.plan();
  randomize(*best);
  Plan work(game.random);
  EXPECT_EQ(searchPlan(*best, work, settings, game.trace), 400);
  settings.continuousEvaluation = false;
  EXPECT_EQ(searchPlan(*best, work, settings, game.trace), 20);

  settings.iterations = 0;
  const std::string before = best->toText();
  EXPECT_EQ(searchPlan(*best, work, settings, game.trace), 0);
  EXPECT_EQ(best->toText(), before);

  settings.iterations = 10;
  settings.continuousEvaluation = true;
  settings.curve = ShapeCurve::build(10, 0.5, 0.5, 1, 1);
  EXPECT_EQ(searchPlan(*best, work, settings, game.trace), 0);
}

TEST_F(PlanSearchTest, TheSearchNeverLosesValue) {
  PlanningGame game("FRA", testing::kStartSco, kCrowded, kWeights);
  for (unsigned seed = 1; seed <= 5; ++seed) {
    game.random = RandomSource(seed);
    auto best = game.plan();
    addConvoyCandidates(*best);
    randomize(*best);
    const int start = best->evaluate();
    Plan work(game.random);
    searchPlan(*best, work, readAnnealingSettings(*game.valuation), game.trace);
    EXPECT_GE(best->evaluate(), start);
    expect_consistent(*best);
  }
}

TEST_F(PlanSearchTest, AHoldingFleetSupportsAValuableMove) {
  PlanningGame game("FRA", testing::kStartSco,
                    "NOW ( SPR 1901 ) ( FRA AMY PIC ) ( FRA FLT ECH ) ( GER AMY RUH )", kWeights);
  auto plan = game.held_plan();
  ASSERT_TRUE(plan->setTarget(*plan->orderAt(province("PIC")), at("BEL", AMY), false));
  ASSERT_GT(game.valuation->occupationValue(at("BEL", AMY)), 0);
  addSupports(*plan);
  const PlanOrder& fleet = *plan->orderAt(province("ECH"));
  EXPECT_TRUE(fleet.supporting);
  EXPECT_EQ(fleet.targetProvince(), province("BEL"));
  expect_consistent(*plan);
}

TEST_F(PlanSearchTest, BouncedUnitsSupportTheWinner) {
  // Two armies can only go to Burgundy or stay; whoever loses the draw supports.
  PlanningGame game("FRA", testing::kStartSco, "NOW ( SPR 1901 ) ( FRA AMY MUN ) ( FRA AMY GAS )",
                    kWeights);
  int both_wanted = 0;
  for (unsigned seed = 1; seed <= 200; ++seed) {
    game.random = RandomSource(seed);
    auto plan = game.plan();
    randomize(*plan);
    expect_consistent(*plan);
    const PlanOrder& mun = *plan->orderAt(province("MUN"));
    const PlanOrder& gas = *plan->orderAt(province("GAS"));
    if (mun.targetProvince() == province("BUR") && gas.targetProvince() == province("BUR")) {
      ++both_wanted;
      EXPECT_NE(mun.supporting, gas.supporting);
    }
  }
  EXPECT_GT(both_wanted, 0);
}

}  // namespace
}  // namespace quorvel
