#include "base/shape_curve.h"

#include <cmath>

namespace quorvel {

ShapeCurve ShapeCurve::build(double length, double start, double end, double start_slope_factor,
                             double end_slope_factor) {
  ShapeCurve curve;
  curve.constant = start;
  curve.length = length;
  // An empty interval has no slope: the curve is its start value.
  if (!(length > 0.0) || !std::isfinite(length)) return curve;
  const double slope = (end - start) / length;
  const double p = (start_slope_factor - 1.0) * slope;
  const double q = (end_slope_factor - 1.0) * slope;
  curve.linear = slope + p;
  curve.square = (-2.0 * p - q) / length;
  curve.cubic = (p + q) / length / length;
  return curve;
}

double ShapeCurve::at(double x) const {
  if (x > length) x = length;
  if (x < 0.0) x = 0.0;
  return ((cubic * x + square) * x + linear) * x + constant;
}

}  // namespace quorvel
