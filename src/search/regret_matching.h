#pragma once

#include <functional>
#include <random>
#include <vector>

namespace quorvel::search {

// What every player gets from one joint choice, one action index per player.
using Payoff = std::function<const std::vector<double>&(const std::vector<int>& joint)>;

struct Equilibrium {
  // Per player, per action: the average strategy of the rounds played.
  std::vector<std::vector<double>> strategies;
  int rounds = 0;
};

// Regret matching (with regrets floored at zero, later rounds weighted more) for players
// choosing at once: each round draws a joint choice from the current strategies and
// credits every player's actions with what they would have got against the others' draw.
// A player with no positive regret plays its prior (per action, summing to 1). Stops
// after rounds, or sooner when out_of_time says so between rounds.
Equilibrium regret_matching(const std::vector<std::vector<double>>& priors, const Payoff& payoff,
                            int rounds, std::mt19937& rng,
                            const std::function<bool()>& out_of_time = {});

// An index drawn by the weights (summing to about 1); the last when rounding leaves a rest.
int draw_index(const std::vector<double>& weights, std::mt19937& rng);

}  // namespace quorvel::search
