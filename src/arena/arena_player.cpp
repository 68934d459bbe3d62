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
  if (name.rfind("exec:", 0) == 0) {
    player.command = whole_paths(name.substr(5));
    if (player.command.find_first_not_of(" \t") == std::string::npos) {
      error = "exec: names no command";
      return std::nullopt;
    }
    return player;
  }
  error = "unknown player '" + name +
          "' (quorvel, quorvel:FILE, greedy, random, hold, honest, liar or exec:COMMAND)";
  return std::nullopt;
}

std::string whole_paths(const std::string& command) {
  std::string out;
  std::size_t at = 0;
  while (at < command.size()) {
    const std::size_t end = std::min(command.find_first_of(" \t", at), command.size());
    const std::string word = command.substr(at, end - at);
    std::error_code ec;
    const bool relative_file = word.find('/') != std::string::npos && word[0] != '/' &&
                               word.find_first_of("'\"\\$`{}=") == std::string::npos &&
                               std::filesystem::is_regular_file(word, ec);
    out += relative_file ? std::filesystem::absolute(word, ec).lexically_normal().string() : word;
    if (end < command.size()) out += command[end];
    at = end + 1;
  }
  return out;
}

std::string program_command(const std::string& command, const std::string& host, int port) {
  const bool placed =
      command.find("{host}") != std::string::npos || command.find("{port}") != std::string::npos;
  std::string line = placed ? command : command + " -s{host} -p{port}";
  for (const auto& [mark, value] :
       {std::pair<std::string, std::string>{"{host}", host}, {"{port}", std::to_string(port)}}) {
    for (std::size_t at = line.find(mark); at != std::string::npos;
         at = line.find(mark, at + value.size()))
      line.replace(at, mark.size(), value);
  }
  return line;
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
