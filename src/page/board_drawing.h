#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "rules/map_file.h"
#include "savedgame/order_text.h"

namespace quorvel::page {

// How the page draws a map: width, height, and per province (by the saved game's names)
// whether it is sea, where its name and units stand and its outline as an SVG path; the
// coasts where fleets stand; land of no province. A map on the standard board's provinces
// is drawn on that board (its other provinces marked off the map); any other is laid out
// from its adjacencies, its provinces as discs joined by their borders ("links"), or where
// its file places them.
// A map file's places put its provinces where it says (the others laid out around them).
nlohmann::json board_drawing(const savedgame::MapNames& names,
                             const std::vector<rules::MapPlace>& places = {});
// The same as JSON text; the standard board's is made once.
std::string board_drawing_text(const savedgame::MapNames& names,
                               const std::vector<rules::MapPlace>& places = {});

}  // namespace quorvel::page
