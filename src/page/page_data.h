#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

#include "rules/map_file.h"
#include "savedgame/order_text.h"
#include "savedgame/saved_game.h"

namespace quorvel::page {

// What the board page draws of a game, read once here so the page only draws: the board,
// the powers with their colours and, per phase, the units, the owners of the centres, each
// order as the places it joins with its result, the press and the notes.
nlohmann::json page_data(const savedgame::SavedGame& game, const rules::MapFile& map);
// All of it but the board and the phases, which the page writes from text.
nlohmann::json page_head(const savedgame::SavedGame& game, const savedgame::MapNames& names);

// One phase as page_data has it: a live page takes the phases as they come. Written
// straight as text, since a game writes its phases over and over.
std::string phase_data_text(const savedgame::MapNames& names, const savedgame::SavedPhase& phase);
nlohmann::json phase_data(const savedgame::MapNames& names, const savedgame::SavedPhase& phase);

}  // namespace quorvel::page
