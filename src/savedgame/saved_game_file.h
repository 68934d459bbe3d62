#pragma once

#include <string>

#include "savedgame/saved_game.h"

namespace quorvel::savedgame {

// Writes the game as the file's one line, through a file beside it that is then renamed
// over it: whoever opens the file finds a whole game, the last one written. False, and why
// in error, when it cannot be written; an older file stays as it was.
bool write_saved_game(const std::string& path, const SavedGame& game, std::string* error = nullptr);

}  // namespace quorvel::savedgame
