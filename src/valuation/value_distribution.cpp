#include "valuation/value_distribution.h"

#include <cmath>

namespace quorvel {

double ValueDistribution::at(double steps) const {
  if (steps == 0.0) return 1.0;
  // Exactly c: the formula's two m terms cancel only up to rounding.
  if (steps == 1.0) return c;
  const double x = steps - 1.0;
  return (c - m * d) * std::exp(-b * std::log(1.0 + a * x / (b * c))) - m * (x - d);
}

}  // namespace quorvel
