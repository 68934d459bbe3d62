#include "savedgame/known_maps.h"

#include <filesystem>

#include "savedgame/shipped_maps.h"

namespace quorvel::savedgame {

std::optional<rules::MapFile> known_map(const std::string& name,
                                        const std::vector<std::string>& folders) {
  // A name is a name: nothing from a saved file may point the reader elsewhere.
  if (name.empty() || name.find_first_of("/\\.:") != std::string::npos) return std::nullopt;
  for (const ShippedMap& shipped : shipped_maps()) {
    if (shipped.name == name) return rules::read_map_text(shipped.text, name).map;
  }
  for (const std::string& folder : folders) {
    const std::filesystem::path path = std::filesystem::path(folder) / (name + ".map");
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) continue;
    rules::MapFileReading reading = rules::read_map_file(path.string());
    if (reading.map) return reading.map;
  }
  return std::nullopt;
}

}  // namespace quorvel::savedgame
