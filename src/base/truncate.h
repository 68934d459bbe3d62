#pragma once

#include <climits>
#include <cmath>

namespace quorvel {

// Real to integer toward zero. Settings can make a real undefined or huge (a zero
// divisor, a mutated extreme); those give 0 or the nearest representable integer rather
// than undefined behaviour.
inline int truncate_to_int(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace quorvel
