#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "rules/map_file.h"
#include "savedgame/order_text.h"
#include "savedgame/saved_game.h"

namespace quorvel::page {

// The board page of a game: one HTML file with everything in it (no network), which draws
// the board phase by phase. A live page also asks the server that sent it for the phases
// that follow (view.json).
std::string board_page(const savedgame::SavedGame& game, const rules::MapFile& map,
                       bool live = false);
// The same from its phases' texts as phase_data_text makes them (the game's own phases are
// not read).
std::string board_page(const savedgame::MapNames& names, const savedgame::SavedGame& game,
                       const rules::MapFile& map, const std::vector<std::string_view>& phases,
                       bool live = false);
// The page around data as page_data makes it.
std::string board_page(nlohmann::json data, bool live = false);

// Writes the page whole (or not at all, the older page kept); false and why in error when
// it cannot.
bool write_board_page(const std::string& path, const savedgame::SavedGame& game,
                      const rules::MapFile& map, std::string* error = nullptr);
// The same from its phases' texts, written as it is made.
bool write_board_page(const std::string& path, const savedgame::MapNames& names,
                      const savedgame::SavedGame& game, const rules::MapFile& map,
                      const std::vector<std::string_view>& phases, std::string* error = nullptr);

}  // namespace quorvel::page
