#pragma once

#include <cstdint>

namespace quorvel {

// The random numbers of one player: what rand() gives (0 .. 2^31 - 1), reduced by the
// remainder at the call sites. A player on a server is seeded by the time of day, and
// again whenever a plan is created; a player in an in-process game follows one stream
// from its seed, so that the game can be replayed.
class RandomSource {
 public:
  // Seeded by the time in seconds; restart() seeds it again by the time.
  RandomSource();
  // One repeatable stream; restart() leaves it alone.
  explicit RandomSource(std::uint64_t seed) : state_(seed), follows_clock_(false) {}

  int next() {
    // splitmix64: fast, and every seed gives a full-quality stream.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<int>((z ^ (z >> 31)) >> 33);
  }
  void restart();

 private:
  std::uint64_t state_;
  bool follows_clock_;
};

}  // namespace quorvel
