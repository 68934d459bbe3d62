#include "search/regret_matching.h"

#include <algorithm>

namespace quorvel::search {

int draw_index(const std::vector<double>& weights, std::mt19937& rng) {
  double pick = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  for (std::size_t i = 0; i < weights.size(); ++i) {
    if (pick < weights[i]) return static_cast<int>(i);
    pick -= weights[i];
  }
  return static_cast<int>(weights.size()) - 1;
}

Equilibrium regret_matching(const std::vector<std::vector<double>>& priors, const Payoff& payoff,
                            int rounds, std::mt19937& rng,
                            const std::function<bool()>& out_of_time) {
  const std::size_t players = priors.size();
  std::vector<std::vector<double>> regrets(players);
  std::vector<std::vector<double>> current = priors;
  Equilibrium result;
  result.strategies.resize(players);
  for (std::size_t i = 0; i < players; ++i) {
    regrets[i].assign(priors[i].size(), 0.0);
    result.strategies[i].assign(priors[i].size(), 0.0);
  }
  std::vector<int> joint(players);
  std::vector<double> values;
  for (int round = 1; round <= rounds; ++round) {
    if (out_of_time && out_of_time()) break;
    for (std::size_t i = 0; i < players; ++i)
      joint[i] = draw_index(current[i], rng);
    for (std::size_t i = 0; i < players; ++i) {
      const int drawn = joint[i];
      values.assign(priors[i].size(), 0.0);
      double expected = 0;
      for (std::size_t a = 0; a < values.size(); ++a) {
        joint[i] = static_cast<int>(a);
        values[a] = payoff(joint)[i];
        expected += current[i][a] * values[a];
      }
      joint[i] = drawn;
      for (std::size_t a = 0; a < values.size(); ++a)
        regrets[i][a] = std::max(0.0, regrets[i][a] + values[a] - expected);
    }
    for (std::size_t i = 0; i < players; ++i) {
      for (std::size_t a = 0; a < current[i].size(); ++a)
        result.strategies[i][a] += round * current[i][a];
      double sum = 0;
      for (double r : regrets[i])
        sum += r;
      for (std::size_t a = 0; a < current[i].size(); ++a)
        current[i][a] = sum > 0 ? regrets[i][a] / sum : priors[i][a];
    }
    result.rounds = round;
  }
  for (std::size_t i = 0; i < players; ++i) {
    double sum = 0;
    for (double s : result.strategies[i])
      sum += s;
    for (std::size_t a = 0; a < result.strategies[i].size(); ++a)
      result.strategies[i][a] = sum > 0 ? result.strategies[i][a] / sum : priors[i][a];
  }
  return result;
}

}  // namespace quorvel::search
