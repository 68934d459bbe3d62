// A saved game read from any bytes: a fault is placed and said, never a crash; a game that
// reads is drawn and played again through the rules.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "page/page_data.h"
#include "savedgame/replay.h"
#include "savedgame/saved_game_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const savedgame::SavedGameReading reading = savedgame::read_saved_game_text(text, "fuzz");
  if (!reading.game) {
    if (reading.error.empty()) __builtin_trap();
    return 0;
  }
  page::page_data(*reading.game, *reading.map);
  savedgame::replay_differences(*reading.game, *reading.map);
  return 0;
}
