#include "planning/random_seed.h"

#include <cstdlib>
#include <ctime>

namespace quorvel {

namespace {
std::optional<unsigned> fixed_seed;
}

void SeedRandomGenerator() {
  std::srand(fixed_seed ? *fixed_seed : static_cast<unsigned>(std::time(nullptr)));
}

void SetFixedRandomSeed(std::optional<unsigned> seed) {
  fixed_seed = seed;
}

}  // namespace quorvel
