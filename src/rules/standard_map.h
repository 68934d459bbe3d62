#pragma once

#include <string_view>

namespace quorvel::rules {

// The standard map's definition message, as text, built into the program from
// data/maps/standard.mdf.
std::string_view standard_map_text();

}  // namespace quorvel::rules
