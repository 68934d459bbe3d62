// The program's entry: it builds the bot, which owns everything it plays with, and runs
// its dialog; the bot outlives the dialog and the comms link.
#include "platform/os.h"
#include "shell/command_line.h"
#include "shell/main_dialog.h"
#include "shell/strategy_bot.h"

int main(int argc, char** argv) {
  quorvel::StrategyBot bot;
  quorvel::ClientApp app;
  // Where the system keeps the line as it was typed, its quoting is kept too.
  app.InitInstance(bot, quorvel::platform::os::native_command_line().value_or(
                            quorvel::JoinCommandLine(argc, argv)));
  return 0;
}
