#include <gtest/gtest.h>

#include <limits>

#include "base/shape_curve.h"
#include "valuation/value_distribution.h"

namespace quorvel {
namespace {

TEST(ShapeCurve, RunsFromStartToEndWithTheGivenSlopes) {
  const ShapeCurve linear = ShapeCurve::build(10, 0, 20, 1, 1);
  EXPECT_DOUBLE_EQ(linear.at(0), 0);
  EXPECT_DOUBLE_EQ(linear.at(5), 10);
  EXPECT_DOUBLE_EQ(linear.at(10), 20);
  EXPECT_DOUBLE_EQ(linear.at(-3), 0);
  EXPECT_DOUBLE_EQ(linear.at(1e9), 20);
  EXPECT_DOUBLE_EQ(linear.at(std::numeric_limits<double>::infinity()), 20);

  const ShapeCurve steep = ShapeCurve::build(4, 1, 9, 3, 0);
  EXPECT_DOUBLE_EQ(steep.at(0), 1);
  EXPECT_NEAR(steep.at(4), 9, 1e-12);
  const double h = 1e-6;
  EXPECT_NEAR((steep.at(h) - steep.at(0)) / h, 3 * 2.0, 1e-4);
  EXPECT_NEAR((steep.at(4) - steep.at(4 - h)) / h, 0.0, 1e-4);
}

TEST(ShapeCurve, EqualEndsGiveAConstant) {
  // The default fear curve: exactly 1 whatever the count.
  const ShapeCurve fear = ShapeCurve::build(17, 1, 1, 1, 1);
  for (int centres = 0; centres <= 34; ++centres)
    EXPECT_EQ(fear.at(centres), 1.0);
  const ShapeCurve flat = ShapeCurve::build(17, 1, 1, 5, -2);
  EXPECT_EQ(flat.at(8.5), 1.0);
}

TEST(ShapeCurve, AnEmptyIntervalIsItsStartValue) {
  const ShapeCurve empty = ShapeCurve::build(0, 4, 9, 1, 1);
  EXPECT_EQ(empty.at(0), 4.0);
  EXPECT_EQ(empty.at(3), 4.0);
  EXPECT_EQ(ShapeCurve::build(-1, 2, 9, 1, 1).at(1), 2.0);
  EXPECT_EQ(ShapeCurve().at(5), 0.0);
}

TEST(ValueDistribution, OneAtZeroStepsAndCAtOne) {
  ValueDistribution vd{0.18, 3.3, 0.11, 10.0, 0.001};
  EXPECT_EQ(vd.at(0), 1.0);
  EXPECT_EQ(vd.at(1), 0.11);
  EXPECT_GT(vd.at(2), 0.0);
  EXPECT_LT(vd.at(2), 0.11);
  // Beyond 1 + d the last term wins and far provinces count below zero.
  EXPECT_LT(vd.at(30), 0.0);
  ValueDistribution odd{7.0, 0.5, 0.3, 2.0, 0.25};
  EXPECT_EQ(odd.at(1), 0.3);
}

}  // namespace
}  // namespace quorvel
