#pragma once

namespace quorvel {

// How much of a province's value a unit that many steps away can claim: 1 at 0 steps,
// c at 1, then falling off, and below zero beyond 1 + d steps.
struct ValueDistribution {
  double a = 1.0;
  double b = 2.0;
  double c = 1.0;
  double d = 10.0;
  double m = 0.0;

  double at(double steps) const;
};

}  // namespace quorvel
