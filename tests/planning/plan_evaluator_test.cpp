#include "planning/plan_evaluator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/binomial.h"
#include "planning/turn_driver.h"
#include "protocol/tokens.h"
#include "settings/bot_settings.h"
#include "support/planning_game.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::at;
using testing::PlanningGame;
using testing::province;

TEST(Binomial, ExactWithoutOverflowOrDivision) {
  EXPECT_EQ(binomial(0, 0), 1.0);
  EXPECT_EQ(binomial(5, 2), 10.0);
  EXPECT_EQ(binomial(13, 6), 1716.0);  // 13! overflows 32 bits
  EXPECT_EQ(binomial(40, 20), 137846528820.0);
  EXPECT_EQ(binomial(3, 4), 0.0);
  EXPECT_EQ(binomial(3, -1), 0.0);
  EXPECT_EQ(binomial(-1, 0), 0.0);
  EXPECT_NEAR(binomial(200, 3), 1313400.0, 1e-6);
  EXPECT_EQ(power(0.0, 0), 1.0);
  EXPECT_EQ(power(0.0, 2), 0.0);
  EXPECT_DOUBLE_EQ(power(0.2, 3), 0.008);
  EXPECT_EQ(power(2.0, 10), 1024.0);
  EXPECT_EQ(power(2.0, -2), 0.25);
  EXPECT_EQ(power(1.0, std::numeric_limits<int>::min()), 1.0);
}

// France moves Picardy's army while foreign armies stand about.
class PlanEvaluatorTest : public ::testing::Test {
 protected:
  void start(const std::string& now, const std::vector<std::string>& settings = {}) {
    game = std::make_unique<PlanningGame>("FRA", testing::kStartSco, now, settings);
    plan = game->held_plan();
  }
  const PlanEvaluator::ProvinceOutcome& outcome(const std::string& name) {
    const auto* found = game->evaluator->outcomeAt(province(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
  }
  PlanOrder& order(const std::string& name) { return *plan->orderAt(province(name)); }

  std::unique_ptr<PlanningGame> game;
  std::unique_ptr<Plan> plan;
};

TEST_F(PlanEvaluatorTest, AMoveNoEnemyReachesSucceedsForSure) {
  start("NOW ( SPR 1901 ) ( FRA AMY PAR ) ( TUR AMY SMY )");
  ASSERT_TRUE(plan->setTarget(order("PAR"), at("BUR", AMY), false));
  plan->evaluate();
  EXPECT_EQ(outcome("BUR").pMove, 1.0);
  EXPECT_EQ(outcome("BUR").pStandoff, 0.0);
}

TEST_F(PlanEvaluatorTest, AMoveAgainstOneFreeEnemy) {
  start("NOW ( SPR 1901 ) ( FRA AMY PAR ) ( GER AMY MUN )");
  ASSERT_TRUE(plan->setTarget(order("PAR"), at("BUR", AMY), false));
  plan->evaluate();
  const auto& bur = outcome("BUR");
  EXPECT_EQ(bur.freeEnemiesAtEnd, 1);
  EXPECT_EQ(bur.engagedEnemiesAtEnd, 0);
  EXPECT_DOUBLE_EQ(bur.pMove, 1.0 - 0.8);
  EXPECT_DOUBLE_EQ(bur.pStandoff, 0.8);
  // Paris is two steps from Munich: nobody threatens the province left behind.
  EXPECT_DOUBLE_EQ(bur.pStay, 1.0);
}

TEST_F(PlanEvaluatorTest, TiesKeepAHoldingUnit) {
  start("NOW ( SPR 1901 ) ( FRA AMY BUR ) ( GER AMY MUN )");
  plan->evaluate();
  const auto& bur = outcome("BUR");
  EXPECT_EQ(bur.stance, 1);
  EXPECT_DOUBLE_EQ(bur.pStay, 1.0);
  EXPECT_EQ(bur.pMove, 0.0);
}

TEST_F(PlanEvaluatorTest, ASupportThatCanBeCutCountsOneTimeInTen) {
  start("NOW ( SPR 1901 ) ( FRA AMY PAR ) ( FRA AMY PIC ) ( GER AMY MUN ) ( ENG AMY BEL )");
  ASSERT_TRUE(plan->setTarget(order("PAR"), at("BUR", AMY), false));
  ASSERT_TRUE(plan->setTarget(order("PIC"), at("BUR", AMY), true));
  plan->evaluate();
  const auto& bur = outcome("BUR");
  EXPECT_EQ(bur.supportCount, 1);
  EXPECT_EQ(bur.endangeredSupports, 1);
  // Strength 1 with 0.9, strength 2 (beats the lone attacker) with 0.1.
  EXPECT_NEAR(bur.pMove, 0.9 * 0.2 + 0.1 * 1.0, 1e-12);
}

TEST_F(PlanEvaluatorTest, MissingOrExtraRemovalsCost7000Each) {
  game = std::make_unique<PlanningGame>("FRA", "SCO ( FRA PAR )",
                                        "NOW ( WIN 1901 ) ( FRA AMY PAR ) ( FRA AMY BUR ) "
                                        "( FRA AMY PIC )");
  ASSERT_EQ(game->board->adjustment_count, 2);
  plan = game->held_plan();
  ASSERT_TRUE(plan->setTarget(order("PIC"), {leaving(province("PIC")), Token()}, false));
  const int total = plan->evaluate();
  EXPECT_EQ(plan->removalCount(FRA.subtoken()), 1);
  const auto* removal = game->evaluator->outcomeAt(leaving(province("PIC")));
  ASSERT_NE(removal, nullptr);
  // A removed unit is worth the value of no place.
  EXPECT_EQ(removal->score, -2000);
  EXPECT_EQ(total, outcome("PAR").score + outcome("BUR").score + removal->score - 7000);

  for (const char* name : {"PAR", "BUR"})
    ASSERT_TRUE(plan->setTarget(order(name), {leaving(province(name)), Token()}, false));
  EXPECT_EQ(plan->removalCount(FRA.subtoken()), 3);
  EXPECT_EQ(plan->evaluate(), 3 * removal->score - 7000);
}

TEST_F(PlanEvaluatorTest, BuildsNextToForeignUnitsAreCertainAndBeatAWaive) {
  // Two builds owed, both home centres next to German armies.
  game = std::make_unique<PlanningGame>("FRA", "SCO ( FRA PAR MAR BRE BEL SPA )",
                                        "NOW ( WIN 1901 ) ( FRA AMY BEL ) ( FRA AMY SPA ) "
                                        "( FRA AMY BRE ) ( GER AMY BUR ) ( GER AMY PIC )");
  ASSERT_EQ(game->board->adjustment_count, -2);
  plan = game->held_plan();
  Plan& built = *plan;
  ASSERT_TRUE(built.setTarget(*built.orderAt(-1), at("PAR", AMY), false));
  ASSERT_TRUE(built.setTarget(*built.orderAt(-2), at("MAR", AMY), false));
  const int both = built.evaluate();
  for (const char* site : {"PAR", "MAR"}) {
    EXPECT_EQ(outcome(site).pMove, 1.0) << site;
    EXPECT_EQ(outcome(site).pStandoff, 0.0) << site;
  }
  ASSERT_TRUE(built.setTarget(*built.orderAt(-2), {-2, Token()}, false));
  EXPECT_GT(both, built.evaluate());

  // The planner, too, builds both.
  planTurn(*game->board, *game->options, readAnnealingSettings(*game->valuation), game->random,
           game->trace);
  const std::string submission = game->board->build_submission().to_text();
  EXPECT_NE(submission.find("PAR ) BLD"), std::string::npos) << submission;
  EXPECT_NE(submission.find("MAR ) BLD"), std::string::npos) << submission;
}

TEST_F(PlanEvaluatorTest, HoldingAForeignCentreIsRewardedInAutumnOnly) {
  const std::vector<std::string> reward{"PlanEvaluation:rewardHoldUnownedSC=1000"};
  game = std::make_unique<PlanningGame>("FRA", testing::kStartSco,
                                        "NOW ( SPR 1901 ) ( FRA AMY BEL )", reward);
  plan = game->held_plan();
  const int spring = plan->evaluate();
  game = std::make_unique<PlanningGame>("FRA", testing::kStartSco,
                                        "NOW ( FAL 1901 ) ( FRA AMY BEL )", reward);
  plan = game->held_plan();
  EXPECT_EQ(plan->evaluate(), spring + 1000);
  EXPECT_EQ(game->evaluator->rewardHoldUnownedSC(), 1000);
}

TEST_F(PlanEvaluatorTest, ExtremeSettingsStayFinite) {
  start("NOW ( SPR 1901 ) ( FRA AMY PAR ) ( FRA AMY PIC ) ( GER AMY MUN ) ( GER AMY RUH )",
        {"PlanEvaluation:support=1", "PlanEvaluation:attack=1", "PlanEvaluation:hold=1",
         "PlanEvaluation:brokenSupport=0", "OwnValues:sc=100"});
  ASSERT_TRUE(plan->setTarget(order("PAR"), at("BUR", AMY), false));
  ASSERT_TRUE(plan->setTarget(order("PIC"), at("BUR", AMY), true));
  plan->evaluate();
  const auto& bur = outcome("BUR");
  EXPECT_TRUE(std::isfinite(bur.pMove));
  EXPECT_TRUE(std::isfinite(bur.pStandoff));
  EXPECT_GE(bur.pMove, 0.0);
  EXPECT_LE(bur.pMove, 1.0);
}

}  // namespace
}  // namespace quorvel
