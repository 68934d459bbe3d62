#pragma once

#include <string_view>
#include <vector>

namespace quorvel::savedgame {

// The map files shipped in data/maps, built in: name (the file's, without .map) and text.
struct ShippedMap {
  std::string_view name;
  std::string_view text;
};
const std::vector<ShippedMap>& shipped_maps();

}  // namespace quorvel::savedgame
