#include "shell/main_dialog.h"

#include "platform/comms_link.h"
#include "shell/bot_base.h"
#include "shell/command_line.h"

namespace quorvel {

MainDialog::MainDialog(BotBase& bot, std::string command_line)
    : bot_(bot), command_line_(std::move(command_line)) {}

int MainDialog::DoModal() {
  return loop_.run([this] { OnInitDialog(); }, [this] { bot_.DrainQueue(); });
}

void MainDialog::OnInitDialog() {
  const StartOptions options = ParseCommandLine(command_line_, *this, bot_);
  if (!bot_.Start(options, this)) {
    platform::ShowMessageBox("Couldn't initialise Bot");
    EndDialog(platform::kCancel);
  }
}

bool ClientApp::InitInstance(BotBase& bot, const std::string& command_line) {
  {
    MainDialog dialog(bot, command_line);
    dialog.DoModal();
    // The link calls back into the bot and the window: stop it before either goes.
    dcsp_stop();
  }
  return false;
}

}  // namespace quorvel
