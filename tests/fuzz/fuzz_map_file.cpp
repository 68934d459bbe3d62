// Reads arbitrary text as a map file: an error or a map, never a crash; a map it takes
// must load into a game as it stands.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rules/map_file.h"
#include "rules/rules_game.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quorvel::rules::MapFileReading reading = quorvel::rules::read_map_text(text, "fuzz");
  if (reading.map.has_value() == !reading.error.empty()) __builtin_trap();
  if (reading.map) {
    quorvel::rules::RulesGame game;
    if (game.load_map(reading.map->mdf) != -1 ||
        game.load_position(reading.map->now, reading.map->sco) != -1)
      __builtin_trap();
  }
  return 0;
}
