#pragma once

#include <string_view>

#include "settings/ini_store.h"

namespace quorvel {

// The settings built into the program, from data/Quorvel.ini: what the bot plays by, and
// writes to its working directory, when it finds no "Quorvel.ini" there.
std::string_view builtin_settings_text();
IniStore builtin_settings();

}  // namespace quorvel
