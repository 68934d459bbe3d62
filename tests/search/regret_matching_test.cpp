#include "search/regret_matching.h"

#include <gtest/gtest.h>

namespace quorvel::search {
namespace {

// Two players; payoff tables by (row action, column action).
Payoff table_payoff(std::vector<std::vector<double>> row, std::vector<std::vector<double>> column) {
  auto values = std::make_shared<std::vector<double>>(2);
  return [=](const std::vector<int>& joint) -> const std::vector<double>& {
    const auto a = static_cast<std::size_t>(joint[0]);
    const auto b = static_cast<std::size_t>(joint[1]);
    (*values)[0] = row[a][b];
    (*values)[1] = column[a][b];
    return *values;
  };
}

TEST(RegretMatching, FindsTheMixedEquilibriumAndDropsDominatedActions) {
  std::mt19937 rng(7);
  // Matching pennies: only half and half leaves nothing to regret.
  const Equilibrium pennies = regret_matching(
      {{0.5, 0.5}, {0.5, 0.5}}, table_payoff({{1, -1}, {-1, 1}}, {{-1, 1}, {1, -1}}), 4000, rng);
  EXPECT_EQ(pennies.rounds, 4000);
  EXPECT_NEAR(pennies.strategies[0][0], 0.5, 0.08);
  EXPECT_NEAR(pennies.strategies[1][0], 0.5, 0.08);

  // The second action pays more whatever the other does, even from a prior against it.
  const Equilibrium dominated = regret_matching(
      {{0.9, 0.1}, {0.9, 0.1}}, table_payoff({{1, 0}, {3, 2}}, {{1, 3}, {0, 2}}), 500, rng);
  EXPECT_GT(dominated.strategies[0][1], 0.95);
  EXPECT_GT(dominated.strategies[1][1], 0.95);
  double sum = 0;
  for (double s : dominated.strategies[0])
    sum += s;
  EXPECT_NEAR(sum, 1.0, 1e-9);
}

TEST(RegretMatching, OutOfTimeLeavesThePriors) {
  std::mt19937 rng(1);
  int calls = 0;
  const Payoff payoff = table_payoff({{1, 0}, {0, 1}}, {{0, 1}, {1, 0}});
  const Equilibrium none = regret_matching(
      {{0.25, 0.75}, {1.0, 0.0}},
      [&](const std::vector<int>& joint) -> const std::vector<double>& {
        ++calls;
        return payoff(joint);
      },
      100, rng, [] { return true; });
  EXPECT_EQ(none.rounds, 0);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(none.strategies[0], (std::vector<double>{0.25, 0.75}));
  EXPECT_EQ(none.strategies[1], (std::vector<double>{1.0, 0.0}));
}

}  // namespace
}  // namespace quorvel::search
