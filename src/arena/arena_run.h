#pragma once

#include <functional>
#include <vector>

#include "arena/arena_options.h"
#include "arena/game_result.h"

namespace quorvel::arena {

// The games of the run (its shard only), by index.
std::vector<int> games_of_run(const ArenaOptions& options);

// Plays the run's games on options.jobs threads. Each result is handed to on_result in
// game order, whatever order the threads finish in, so a run's output does not depend on
// the number of jobs. Answers every result in that order. In a cluster of several ranks
// each rank plays every size-th game of the run and every rank gets all the results,
// handed on once all are played: the same results as one process, on every rank.
std::vector<GameResult> run_arena(const ArenaOptions& options,
                                  const std::function<void(const GameResult&)>& on_result);

}  // namespace quorvel::arena
