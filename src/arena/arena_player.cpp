#include "arena/arena_player.h"

#include <filesystem>

#include "settings/builtin_settings.h"

namespace quorvel::arena {

std::optional<ArenaPlayer> parse_player(const std::string& name, std::string& error) {
  ArenaPlayer player;
  player.label = name;
  if (name == "quorvel") {
    player.settings = builtin_settings();
    return player;
  }
  if (name.rfind("quorvel:", 0) == 0) {
    const std::string file = name.substr(8);
    // The store reads what it can of any file; an arena run must not quietly play a
    // player on settings other than those asked for.
    std::error_code ec;
    if (file.empty() || !std::filesystem::is_regular_file(file, ec)) {
      error = "settings file '" + file + "' does not exist";
      return std::nullopt;
    }
    player.settings.setFileName(file);
    if (!player.settings.load()) {
      error = "settings file '" + file + "' cannot be read as settings";
      return std::nullopt;
    }
    return player;
  }
  if (const auto kind = opponents::opponent_kind(name)) {
    player.house = kind;
    return player;
  }
  error = "unknown player '" + name + "' (quorvel, quorvel:FILE, greedy, random or hold)";
  return std::nullopt;
}

}  // namespace quorvel::arena
