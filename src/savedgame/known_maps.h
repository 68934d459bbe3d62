#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rules/map_file.h"

namespace quorvel::savedgame {

// The map a saved game names: a shipped one (standard, standard_france_austria, pure,
// west), else NAME.map in one of the folders. None for a name with a path in it.
std::optional<rules::MapFile> known_map(const std::string& name,
                                        const std::vector<std::string>& folders = {});

}  // namespace quorvel::savedgame
