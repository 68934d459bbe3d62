// The program's entry. The bot is a static object: it exists before main runs and
// outlives the dialog; its destruction closes the logs.
#include "shell/command_line.h"
#include "shell/main_dialog.h"
#include "shell/strategy_bot.h"

namespace {

quorvel::StrategyBot the_bot;

}  // namespace

int main(int argc, char** argv) {
  quorvel::ClientApp app;
  app.InitInstance(quorvel::JoinCommandLine(argc, argv));
  return 0;
}
