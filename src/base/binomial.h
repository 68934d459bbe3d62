#pragma once

namespace quorvel {

// C(n, k) as a real: 0 when k < 0 or k > n. Exact for the counts a map produces (units
// next to a province, supports of one province); no factorial that could overflow, no
// division by a product that could be zero.
double binomial(int n, int k);

// x to a whole power; 0^0 is 1.
double power(double x, int exponent);

}  // namespace quorvel
