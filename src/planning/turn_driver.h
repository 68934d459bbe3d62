#pragma once

#include <vector>

#include "settings/bot_settings.h"

namespace quorvel {

class GameBoard;
class RandomSource;
class TraceLog;
class UnitOptionTable;

// Decides the bot's orders for the phase and writes them into the game board: a random
// plan, improved by the search, with supports added in movement phases. Needs the
// valuation's update for the position and the option table rebuilt for it. No convoy
// lands an army in a province barred (by province), as the table's candidates keep out of
// them.
void planTurn(GameBoard& game, const UnitOptionTable& options, const AnnealingSettings& settings,
              RandomSource& random, TraceLog& trace, const std::vector<bool>* barred = nullptr);

}  // namespace quorvel
