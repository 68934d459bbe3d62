#pragma once

#include <string>

#include "rules/map_file.h"
#include "savedgame/saved_game.h"

namespace quorvel::savedgame {

// Plays a saved game again through our rules: from its first phase's position, each
// phase's orders as given (one the rules refuse is void), then the next phase's units, dislodged
// units, centres and name must be those the file holds. Empty when they all are; else the first
// difference, "F1903M: units of FRANCE: the rules have A BUR, the file A PAR".
std::string replay_differences(const SavedGame& game, const rules::MapFile& map);

}  // namespace quorvel::savedgame
