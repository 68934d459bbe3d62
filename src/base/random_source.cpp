#include "base/random_source.h"

#include <ctime>

namespace quorvel {

RandomSource::RandomSource()
    : state_(static_cast<std::uint64_t>(std::time(nullptr))), follows_clock_(true) {}

void RandomSource::restart() {
  if (follows_clock_) state_ = static_cast<std::uint64_t>(std::time(nullptr));
}

}  // namespace quorvel
