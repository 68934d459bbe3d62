#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/bot_base.h"
#include "shell/main_dialog.h"

namespace quorvel {
namespace {

const std::string kUsage =
    "Quorvel: Usage : Tandril [-sServerName|-iIPAddress] [-pPortNumber] [-lLogLevel] "
    "[-rPOW:passcode] [-m] [-h] \n";
const std::string kConflict = "Quorvel: You must not specify Server name and IP address\n";
const std::string kRejoin =
    "Quorvel: -r should be followed by 'POW:passcode'\nPOW should be three characters\n";

class CommandLineTest : public ::testing::Test {
 protected:
  // Parses the line; what the message boxes showed lands in shown.
  StartOptions parse(const std::string& line) {
    ::testing::internal::CaptureStderr();
    StartOptions options = ParseCommandLine(line, dialog, bot);
    shown = ::testing::internal::GetCapturedStderr();
    return options;
  }

  BotBase bot;
  MainDialog dialog{bot, ""};
  std::string shown;
};

TEST_F(CommandLineTest, ProgramNameAloneGivesNoOptions) {
  for (const char* line : {"quorvel", "\"C:/my-games/quorvel.exe\"", "/opt/x-y/quorvel",
                           "\"/opt/x y/quorvel -sfoo", ""}) {
    const StartOptions options = parse(line);
    EXPECT_FALSE(options.nameGiven || options.ipGiven || options.portGiven ||
                 options.logLevelGiven || options.rejoinGiven)
        << line;
    EXPECT_EQ(shown, "") << line;
  }
  const StartOptions quoted = parse("\"/opt/x y/quorvel\" -shost-1 -p99");
  EXPECT_EQ(quoted.address, "host-1");
  EXPECT_EQ(quoted.port, 99);
}

TEST_F(CommandLineTest, ServerPortAndLogLevel) {
  const StartOptions options = parse("quorvel -sdiplo.example.org -p16714 -l2");
  EXPECT_TRUE(options.nameGiven);
  EXPECT_FALSE(options.ipGiven);
  EXPECT_EQ(options.address, "diplo.example.org");
  EXPECT_TRUE(options.portGiven);
  EXPECT_EQ(options.port, 16714);
  EXPECT_TRUE(options.logLevelGiven);
  EXPECT_EQ(options.logLevel, 2);
  EXPECT_EQ(shown, "");

  EXPECT_EQ(parse("quorvel -p70000").port, 4464);
  const StartOptions letters = parse("quorvel -pabc -L");
  EXPECT_TRUE(letters.portGiven);
  EXPECT_EQ(letters.port, 0);
  EXPECT_TRUE(letters.logLevelGiven);
  EXPECT_EQ(letters.logLevel, 0);
}

TEST_F(CommandLineTest, NameAndAddressTogetherConflict) {
  const StartOptions options = parse("quorvel -sfoo -ibar");
  EXPECT_TRUE(options.nameGiven);
  EXPECT_TRUE(options.ipGiven);
  EXPECT_EQ(options.address, "bar");
  EXPECT_EQ(shown, kConflict);
}

TEST_F(CommandLineTest, UnknownOptionsShowTheUsage) {
  parse("quorvel -x");
  EXPECT_EQ(shown, kUsage);
  parse("quorvel -q1 -z2");
  EXPECT_EQ(shown, kUsage + kUsage);
  // A "-" at the very end is an unknown option with an empty argument.
  const StartOptions options = parse("quorvel -p5 -");
  EXPECT_EQ(options.port, 5);
  EXPECT_EQ(shown, kUsage);
}

TEST_F(CommandLineTest, RejoinPowerAndPasscode) {
  const StartOptions options = parse("quorvel -rfra:1234");
  EXPECT_TRUE(options.rejoinGiven);
  EXPECT_EQ(options.rejoinPower, "FRA");
  EXPECT_EQ(options.rejoinPasscode, 1234);
  EXPECT_EQ(shown, "");

  for (const char* bad : {"quorvel -rFRA1234", "quorvel -rFR:1", "quorvel -rFRA"}) {
    EXPECT_FALSE(parse(bad).rejoinGiven) << bad;
    EXPECT_EQ(shown, kRejoin) << bad;
  }
}

TEST_F(CommandLineTest, HideAndMinimiseActOnTheWindow) {
  parse("quorvel -h -m -s-host");
  EXPECT_TRUE(dialog.hidden());
  EXPECT_TRUE(dialog.minimised());
  EXPECT_EQ(shown, "");
}

TEST(JoinCommandLine, QuotesAProgramPathWithASpace) {
  const char* plain[] = {"build/quorvel", "-sfoo", "-p1"};
  EXPECT_EQ(JoinCommandLine(3, plain), "build/quorvel -sfoo -p1");
  const char* spaced[] = {"/opt/my games/quorvel", "-h"};
  EXPECT_EQ(JoinCommandLine(2, spaced), "\"/opt/my games/quorvel\" -h");
  const char* alone[] = {"quorvel"};
  EXPECT_EQ(JoinCommandLine(1, alone), "quorvel");
}

}  // namespace
}  // namespace quorvel
