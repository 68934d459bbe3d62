#pragma once

#include <optional>
#include <string>

#include "opponents/house_opponent.h"
#include "settings/ini_store.h"

namespace quorvel::arena {

// One player of an arena run, as named on the command line: "quorvel" (the built-in
// settings), "quorvel:FILE" (settings read from FILE), a house opponent ("greedy",
// "random", "hold", "honest", "liar"), or "exec:COMMAND", a DAIDE client program that the
// arena starts for each seat it holds.
struct ArenaPlayer {
  std::string label;
  std::optional<opponents::OpponentKind> house;  // none: Quorvel or an outside program
  IniStore settings;                             // Quorvel's
  std::string command;                           // an outside program's

  bool is_quorvel() const { return !house && command.empty(); }
  bool is_outside() const { return !command.empty(); }
};

// The command with each word that names a file by a path from the current folder
// ("build/quorvel", "./bot.py") given whole, since the program runs in a folder of its own.
std::string whole_paths(const std::string& command);
// The command line of an outside program for a game's server: {host} and {port} replaced,
// or " -s{host} -p{port}" appended when it names neither.
std::string program_command(const std::string& command, const std::string& host, int port);

// The player the name stands for; on failure error says why and nullopt comes back.
std::optional<ArenaPlayer> parse_player(const std::string& name, std::string& error);

// A Quorvel playing by the settings.
ArenaPlayer quorvel_player(const std::string& label, IniStore settings);
// The settings of a file, which must exist and read as settings; else error says why.
std::optional<IniStore> settings_from_file(const std::string& path, std::string& error);

}  // namespace quorvel::arena
