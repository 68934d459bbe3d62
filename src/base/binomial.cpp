#include "base/binomial.h"

#include <array>

namespace quorvel {

namespace {

constexpr int kTableSize = 64;

using Table = std::array<std::array<double, kTableSize>, kTableSize>;

Table pascal() {
  Table table{};
  for (int n = 0; n < kTableSize; ++n) {
    table[static_cast<std::size_t>(n)][0] = 1.0;
    for (int k = 1; k <= n; ++k) {
      table[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)] =
          table[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k - 1)] +
          (k < n ? table[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(k)] : 0.0);
    }
  }
  return table;
}

}  // namespace

double binomial(int n, int k) {
  if (k < 0 || n < 0 || k > n) return 0.0;
  static const Table table = pascal();
  if (n < kTableSize) return table[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)];
  if (k > n - k) k = n - k;
  double result = 1.0;
  for (int i = 1; i <= k; ++i)
    result = result * (n - k + i) / i;
  return result;
}

// By squaring: the planner and the greedy rule raise to small counts thousands of times
// a phase, where std::pow is several times slower and differs between maths libraries.
double power(double x, int exponent) {
  // Unsigned, so that the most negative exponent has a magnitude too.
  unsigned magnitude =
      exponent < 0 ? 0u - static_cast<unsigned>(exponent) : static_cast<unsigned>(exponent);
  double result = 1.0;
  for (; magnitude > 0; magnitude >>= 1) {
    if (magnitude & 1u) result *= x;
    x *= x;
  }
  return exponent < 0 ? 1.0 / result : result;
}

}  // namespace quorvel
