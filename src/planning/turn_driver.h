#pragma once

#include "settings/bot_settings.h"

namespace quorvel {

class GameBoard;
class RandomSource;
class TraceLog;
class UnitOptionTable;

// Decides the bot's orders for the phase and writes them into the game board: a random
// plan, improved by the search, with supports added in movement phases. Needs the
// valuation's update for the position and the option table rebuilt for it.
void planTurn(GameBoard& game, const UnitOptionTable& options, const AnnealingSettings& settings,
              RandomSource& random, TraceLog& trace);

}  // namespace quorvel
