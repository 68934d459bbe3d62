#include "savedgame/saved_game_file.h"

#include "base/whole_file.h"
#include "savedgame/saved_game_json.h"

namespace quorvel::savedgame {

bool write_saved_game(const std::string& path, const SavedGame& game, std::string* error) {
  return write_whole_file(path, saved_game_json(game) + "\n", error);
}

}  // namespace quorvel::savedgame
