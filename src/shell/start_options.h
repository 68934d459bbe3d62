#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// What the command line asked for; Start keeps a copy in the bot.
struct StartOptions {
  bool ipGiven = false;
  bool nameGiven = false;
  std::string address;
  bool portGiven = false;
  std::uint16_t port = 0;
  bool logLevelGiven = false;
  std::int32_t logLevel = 0;
  bool rejoinGiven = false;
  std::string rejoinPower;
  std::int32_t rejoinPasscode = 0;
};

}  // namespace quorvel
