#pragma once

#include <string>
#include <vector>

namespace quorvel::tuning {

// Whether a tuning still gains, from its objective per step (the mean of both candidates'
// centres): the step-by-step values are too noisy to read, their means over blocks of
// steps and a straight line through the last steps are not.

// The mean of each block of `block` steps, the last block possibly shorter.
std::vector<double> block_means(const std::vector<double>& objective, int block);

struct Trend {
  double slope = 0;     // per step, least squares
  double interval = 0;  // its 95% interval
  int steps = 0;        // the steps it was fitted to
};
// The line through the last `last` steps (all, when fewer); no line under three steps.
Trend trend_of(const std::vector<double>& objective, int last);

// "Objective per 25 steps: 7.54 7.60 ...\nTrend of the last 100 steps: ...": what the
// tuner says when it stops.
std::string trend_report(const std::vector<double>& objective);

}  // namespace quorvel::tuning
