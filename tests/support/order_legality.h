#pragma once

#include <string>
#include <vector>

#include "game/game_board.h"
#include "protocol/token_message.h"

namespace quorvel::testing {

// Checks a submission as a strict server would, against the board it was built from:
// every order names a unit of the bot, follows the map and the phase, and the orders
// agree with each other. Answers what is wrong, one text per fault.
std::vector<std::string> order_faults(const GameBoard& board, const TokenMessage& submission);

}  // namespace quorvel::testing
