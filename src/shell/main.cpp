// The program's entry: it builds the bot, which owns everything it plays with, and runs
// its dialog; the bot outlives the dialog and the comms link.
#include "shell/command_line.h"
#include "shell/main_dialog.h"
#include "shell/strategy_bot.h"

int main(int argc, char** argv) {
  quorvel::StrategyBot bot;
  quorvel::ClientApp app;
  app.InitInstance(bot, quorvel::JoinCommandLine(argc, argv));
  return 0;
}
