#include "base/binomial.h"

#include <array>
#include <cmath>

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

double power(double x, int exponent) {
  if (exponent == 0) return 1.0;
  return std::pow(x, exponent);
}

}  // namespace quorvel
