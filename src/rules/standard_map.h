#pragma once

#include <string_view>

#include "rules/map_file.h"

namespace quorvel::rules {

// The standard map's definition message, as text, built into the program from
// data/maps/standard.mdf.
std::string_view standard_map_text();

// The opening position of a standard game: spring 1901, three units a power (four for
// Russia), every home centre owned by its power.
std::string_view standard_start_now();
std::string_view standard_start_sco();

// The three, parsed afresh: messages are not shared between threads.
MapFile standard_map_file();

}  // namespace quorvel::rules
