#pragma once

#include <string>

#include "platform/dialog_window.h"
#include "platform/modal_loop.h"

namespace quorvel {

class BotBase;

// The one window that stands for the running bot: a dialog with a Cancel button on
// Windows; elsewhere headless, where Cancel is a termination signal. It runs the modal
// loop on the calling thread.
class MainDialog : public platform::DialogWindow {
 public:
  MainDialog(BotBase& bot, std::string command_line);

  // Initialises (parses the command line, starts the bot), then runs until the dialog
  // ends; answers the result it ended with.
  int DoModal();

  void PostQueueNotification() override { loop_.post_notification(); }
  void EndDialog(int result) override { loop_.end(result); }
  // Cancel, from any thread.
  void Cancel() { loop_.request_cancel(); }
  void Hide() override {
    hidden_ = true;
    loop_.hide();
  }
  void Minimise() override {
    minimised_ = true;
    loop_.minimise();
  }

  bool hidden() const { return hidden_; }
  bool minimised() const { return minimised_; }

 private:
  void OnInitDialog();

  BotBase& bot_;
  std::string command_line_;
  platform::ModalLoop loop_;
  bool hidden_ = false;
  bool minimised_ = false;
};

// The application object: runs the dialog modally and ends the program with it.
class ClientApp {
 public:
  static constexpr const char* kApplicationName = "Quorvel";

  // Runs the bot's dialog; answers false: the program ends when the dialog does.
  bool InitInstance(BotBase& bot, const std::string& command_line);
};

}  // namespace quorvel
