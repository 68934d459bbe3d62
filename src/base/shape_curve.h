#pragma once

namespace quorvel {

// A cubic over [0, L] from a start value to an end value, with the slope at each end a
// factor of the average slope; clamped to the interval.
struct ShapeCurve {
  double cubic = 0.0;
  double square = 0.0;
  double linear = 0.0;
  double constant = 0.0;
  double length = 0.0;

  static ShapeCurve build(double length, double start, double end, double start_slope_factor,
                          double end_slope_factor);
  double at(double x) const;
};

}  // namespace quorvel
