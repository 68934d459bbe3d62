#pragma once

#include <string>

#include "shell/start_options.h"

namespace quorvel {

class BotBase;
namespace platform {
class DialogWindow;
}

// The command line as one string, as a windowed program receives it: the program path
// (in double quotes when it holds a space), then each argument after a single space.
std::string JoinCommandLine(int argc, const char* const* argv);

// Reads the options that follow the program name. Problems are shown in message boxes
// and parsing goes on; -h and -m act on the window.
StartOptions ParseCommandLine(const std::string& command_line, platform::DialogWindow& window,
                              BotBase& bot);

}  // namespace quorvel
