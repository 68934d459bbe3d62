#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/map_file.h"
#include "savedgame/saved_game.h"

namespace quorvel::savedgame {

// The game as one line of JSON, as the field's tools write a game (and a line of a JSON
// Lines file of many).
std::string saved_game_json(const SavedGame& game);
// The same in parts, for a writer that keeps the phases it wrote: one phase's object, and
// the game around phases written so (the game's own phases are not written).
std::string saved_phase_json(const SavedGame& game, const SavedPhase& phase);
std::string saved_game_json(const SavedGame& game, const std::vector<std::string_view>& phases);

struct SavedGameReading {
  std::optional<SavedGame> game;
  std::optional<rules::MapFile> map;  // the map the game is played on
  // "FILE:LINE: phase F1901M, orders.FRANCE[2]: what is wrong" when there is no game.
  std::string error;
};

// Where a reader that needs one phase at a time takes them, each checked, in order.
using PhaseSink = std::function<void(SavedPhase&& phase, const rules::MapFile& map)>;

// Reads game `number` (from 1) of a file that holds one game, or JSON Lines of many, and
// checks it against its map: every power, province and order must read. Only one game is
// held at a time; its phases are taken in as they are read. Maps are the shipped ones and
// those in map_folders (NAME.map). With a sink, the phases go there as they are read and
// the game comes back without them: a game of any length then reads in the memory of one
// phase (phases before the map's name in the file are held until it is known). A fault
// found after some phases went to the sink still gives no game.
SavedGameReading read_saved_game(const std::string& path, int number = 1,
                                 const std::vector<std::string>& map_folders = {},
                                 const PhaseSink& sink = {});
// One game from text, which names it (a file, a line of one) in the messages.
SavedGameReading read_saved_game_text(std::string_view text, const std::string& source,
                                      const std::vector<std::string>& map_folders = {});

}  // namespace quorvel::savedgame
