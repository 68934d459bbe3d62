#include "tuning/tuning_trend.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel::tuning {
namespace {

TEST(TuningTrend, BlocksAverageTheirStepsTheLastOneShorter) {
  const std::vector<double> objective = {1, 3, 5, 7, 10};
  EXPECT_EQ(block_means(objective, 2), (std::vector<double>{2, 6, 10}));
  EXPECT_TRUE(block_means({}, 25).empty());
  EXPECT_TRUE(block_means(objective, 0).empty());
}

TEST(TuningTrend, FitsTheLastStepsOnly) {
  // Rising by 0.1 a step, then 100 flat steps alternating around 8: the fit sees only those.
  std::vector<double> objective;
  for (int i = 0; i < 50; ++i)
    objective.push_back(5 + 0.1 * i);
  for (int i = 0; i < 100; ++i)
    objective.push_back(i % 2 == 0 ? 7.9 : 8.1);
  const Trend flat = trend_of(objective, 100);
  EXPECT_EQ(flat.steps, 100);
  EXPECT_NEAR(flat.slope, 0, 1e-3);
  EXPECT_GT(flat.interval, 0);

  const Trend rising =
      trend_of(std::vector<double>(objective.begin(), objective.begin() + 50), 100);
  EXPECT_EQ(rising.steps, 50);
  EXPECT_NEAR(rising.slope, 0.1, 1e-9);
  EXPECT_NEAR(rising.interval, 0, 1e-9);

  EXPECT_EQ(trend_of({7, 8}, 100).steps, 0);
}

TEST(TuningTrend, ReportSaysWhetherItStillRises) {
  std::vector<double> objective;
  for (int i = 0; i < 60; ++i)
    objective.push_back(7 + 0.01 * i + (i % 2 == 0 ? -0.2 : 0.2));
  const std::string rising = trend_report(objective);
  EXPECT_NE(rising.find("Objective per 25 steps: 7.11 7.38 7.54 (the last of 10 steps)"),
            std::string::npos)
      << rising;
  EXPECT_NE(rising.find("Trend of the last 60 steps: +0.26 ± 0.07 per 25 steps"), std::string::npos)
      << rising;
  EXPECT_NE(rising.find("still rising"), std::string::npos) << rising;

  std::vector<double> flat(100, 8);
  for (std::size_t i = 0; i < flat.size(); i += 3)
    flat[i] = 8.5;
  EXPECT_NE(trend_report(flat).find("no longer rising beyond the noise"), std::string::npos)
      << trend_report(flat);
  EXPECT_EQ(trend_report({8}).find("Trend"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::tuning
