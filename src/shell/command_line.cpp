#include "shell/command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "base/number_text.h"
#include "platform/dialog_window.h"
#include "shell/bot_base.h"

namespace quorvel {

namespace {

// Leading digits only; 0 when there are none. Wraps like the 16-bit cut that follows.
std::uint32_t leading_digits(const std::string& text) {
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

std::string upper(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i] == nullptr ? "" : argv[i];
    if (i == 0) {
      line = arg.find(' ') == std::string::npos ? arg : "\"" + arg + "\"";
    } else {
      line += " " + arg;
    }
  }
  return line;
}

StartOptions ParseCommandLine(const std::string& command_line, platform::DialogWindow& window,
                              BotBase& bot) {
  StartOptions options;
  std::string line = command_line;

  // Cut the program name; without a closing quote or a following space there are no
  // options.
  if (!line.empty() && line[0] == '"') {
    const std::size_t quote = line.find('"', 1);
    line = quote == std::string::npos ? std::string() : line.substr(quote + 1);
  } else {
    const std::size_t space = line.find(' ');
    line = space == std::string::npos ? std::string() : line.substr(space);
  }

  std::size_t pos = line.find('-');
  while (pos != std::string::npos) {
    // A "-" at the very end reads the end of the text as its letter.
    const char letter = pos + 1 < line.size() ? line[pos + 1] : '\0';
    const std::size_t space = line.find(' ', pos);
    const std::size_t from = std::min(pos + 2, line.size());
    std::string argument;
    std::size_t next;
    if (space == std::string::npos) {
      argument = line.substr(from);
      next = line.size();
    } else {
      argument = space > from ? line.substr(from, space - from) : std::string();
      next = space;
    }

    switch (letter) {
      case 'H':
      case 'h':
        window.Hide();
        break;
      case 'M':
      case 'm':
        window.Minimise();
        break;
      case 'I':
      case 'i':
        options.ipGiven = true;
        options.address = argument;
        break;
      case 'S':
      case 's':
        options.nameGiven = true;
        options.address = argument;
        break;
      case 'P':
      case 'p':
        options.portGiven = true;
        options.port = static_cast<std::uint16_t>(leading_digits(argument));
        break;
      case 'L':
      case 'l':
        options.logLevelGiven = true;
        options.logLevel = leading_int(argument);
        break;
      case 'R':
      case 'r':
        if (argument.size() > 3 && argument[3] == ':') {
          options.rejoinGiven = true;
          options.rejoinPower = upper(argument.substr(0, 3));
          options.rejoinPasscode = leading_int(argument.substr(4));
        } else {
          platform::ShowMessageBox(
              "-r should be followed by 'POW:passcode'\nPOW should be three characters");
        }
        break;
      default:
        if (!bot.BotBase::HandleOption(letter, argument)) {
          platform::ShowMessageBox(
              "Usage : Tandril [-sServerName|-iIPAddress] [-pPortNumber] [-lLogLevel] "
              "[-rPOW:passcode] [-m] [-h] " +
              bot.BotBase::ExtraUsage());
        }
        break;
    }
    pos = line.find('-', next);
  }

  if (options.ipGiven && options.nameGiven) {
    platform::ShowMessageBox("You must not specify Server name and IP address");
  }
  return options;
}

}  // namespace quorvel
