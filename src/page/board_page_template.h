#pragma once

#include <string_view>

namespace quorvel::page {

// The page's HTML, its style and script, with the place for the game's data.
std::string_view board_page_template();

}  // namespace quorvel::page
