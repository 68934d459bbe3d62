#pragma once

#include <optional>

namespace quorvel {

// Seeds the process's random generator with the time in seconds, as the bot and every
// new plan do; tests may fix the seed to get repeatable plans.
void SeedRandomGenerator();
void SetFixedRandomSeed(std::optional<unsigned> seed);

}  // namespace quorvel
