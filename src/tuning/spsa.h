#pragma once

#include <cstdint>
#include <vector>

namespace quorvel::tuning {

// The gains of simultaneous perturbation stochastic approximation (Spall 1992; the
// exponents and the stability constant A as recommended in Spall 1998): step k moves by
// a / (k + 1 + A)^alpha along the gradient estimate taken at distance c / (k + 1)^gamma.
struct SpsaGains {
  double a = 0.005;
  double c = 0.05;
  double A = 20;
  double alpha = 0.602;
  double gamma = 0.101;
};

// SPSA over the unit cube, maximising a noisy function: each step evaluates it at two
// points, the current one moved by +c_k and -c_k along a random sign vector, whatever
// the dimension; both evaluations should see the same noise (the same seeds) so that
// their difference is mostly signal. The sign vector of step k follows from the seed.
class Spsa {
 public:
  Spsa(std::vector<double> start, SpsaGains gains, std::uint64_t seed);

  struct Probe {
    std::vector<double> plus;
    std::vector<double> minus;
  };
  // The two points to evaluate at step k (0, 1, ...), kept inside the cube.
  Probe probe(int k) const;
  // Moves the current point by the gradient estimate from the two values.
  void update(int k, const Probe& probe, double value_plus, double value_minus);

  const std::vector<double>& point() const { return point_; }
  void set_point(std::vector<double> point);

 private:
  std::vector<double> point_;
  SpsaGains gains_;
  std::uint64_t seed_;
};

}  // namespace quorvel::tuning
