#include "tuning/spsa.h"

#include <algorithm>
#include <cmath>

#include "base/random_source.h"

namespace quorvel::tuning {

namespace {

double clamp01(double x) {
  return std::clamp(x, 0.0, 1.0);
}

}  // namespace

Spsa::Spsa(std::vector<double> start, SpsaGains gains, std::uint64_t seed)
    : gains_(gains), seed_(seed) {
  set_point(std::move(start));
}

void Spsa::set_point(std::vector<double> point) {
  for (double& x : point)
    x = clamp01(x);
  point_ = std::move(point);
}

Spsa::Probe Spsa::probe(int k) const {
  const double ck = gains_.c / std::pow(k + 1.0, gains_.gamma);
  RandomSource signs(seed_ * 0x100000001B3ULL + static_cast<std::uint64_t>(k));
  Probe probe;
  for (double x : point_) {
    const double delta = signs.next() % 2 == 0 ? ck : -ck;
    probe.plus.push_back(clamp01(x + delta));
    probe.minus.push_back(clamp01(x - delta));
  }
  return probe;
}

void Spsa::update(int k, const Probe& probe, double value_plus, double value_minus) {
  const double ak = gains_.a / std::pow(k + 1.0 + gains_.A, gains_.alpha);
  for (std::size_t i = 0; i < point_.size(); ++i) {
    // At a bound the two points lie closer together; the estimate uses their distance.
    const double span = probe.plus[i] - probe.minus[i];
    if (span == 0) continue;
    point_[i] = clamp01(point_[i] + ak * (value_plus - value_minus) / span);
  }
}

}  // namespace quorvel::tuning
