#pragma once

#include <string_view>

namespace quorvel::page {

// The standard board's drawing (data/maps/standard.board.json), built in.
std::string_view standard_board_json();

}  // namespace quorvel::page
