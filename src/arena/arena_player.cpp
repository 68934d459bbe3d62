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
    auto settings = settings_from_file(name.substr(8), error);
    if (!settings) return std::nullopt;
    player.settings = std::move(*settings);
    return player;
  }
  if (const auto kind = opponents::opponent_kind(name)) {
    player.house = kind;
    return player;
  }
  error =
      "unknown player '" + name + "' (quorvel, quorvel:FILE, greedy, random, hold, honest or liar)";
  return std::nullopt;
}

ArenaPlayer quorvel_player(const std::string& label, IniStore settings) {
  ArenaPlayer player;
  player.label = label;
  player.settings = std::move(settings);
  return player;
}

std::optional<IniStore> settings_from_file(const std::string& path, std::string& error) {
  // The store reads what it can of any file; a run must not quietly play on settings
  // other than those asked for.
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_regular_file(path, ec)) {
    error = "settings file '" + path + "' does not exist";
    return std::nullopt;
  }
  IniStore settings(path);
  if (!settings.load()) {
    error = "settings file '" + path + "' cannot be read as settings";
    return std::nullopt;
  }
  return settings;
}

}  // namespace quorvel::arena
