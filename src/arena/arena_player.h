#pragma once

#include <optional>
#include <string>

#include "opponents/house_opponent.h"
#include "settings/ini_store.h"

namespace quorvel::arena {

// One player of an arena run, as named on the command line: "quorvel" (the built-in
// settings), "quorvel:FILE" (settings read from FILE), or a house opponent ("greedy",
// "random", "hold", "honest", "liar").
struct ArenaPlayer {
  std::string label;
  std::optional<opponents::OpponentKind> house;  // none: Quorvel
  IniStore settings;                             // Quorvel's

  bool is_quorvel() const { return !house; }
};

// The player the name stands for; on failure error says why and nullopt comes back.
std::optional<ArenaPlayer> parse_player(const std::string& name, std::string& error);

// A Quorvel playing by the settings.
ArenaPlayer quorvel_player(const std::string& label, IniStore settings);
// The settings of a file, which must exist and read as settings; else error says why.
std::optional<IniStore> settings_from_file(const std::string& path, std::string& error);

}  // namespace quorvel::arena
