#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/comms_link.h"
#include "platform/dialog_window.h"
#include "shell/bot_base.h"
#include "shell/main_dialog.h"
#include "support/messages.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace quorvel::testing {

// A bot behind its dialog, on a window thread of its own, against a scripted server over
// the real link, in a working directory of its own.
class BotOverLink : public ::testing::Test {
 protected:
  ~BotOverLink() override {
    if (window_thread.joinable()) {
      dialog->Cancel();
      window_thread.join();
    }
    dcsp_stop();
  }

  // Starts the bot's dialog and takes its connection.
  void start_dialog(BotBase& bot, const std::string& extra) {
    dialog = std::make_unique<MainDialog>(
        bot, "quorvel -i127.0.0.1 -p" + std::to_string(server.port()) + " -l1" + extra);
    window_thread = std::thread([this] { result = dialog->DoModal(); });
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(server.expect_initial_message());
  }
  void expect_next(const std::string& text) {
    EXPECT_EQ(server.read_message(), parse(text)) << "expected " << text;
  }
  // Nothing the bot sends may come before the probe's answer.
  void expect_nothing_sent() {
    server.send_text("SVE ( 'probe' )");
    expect_next("YES ( SVE ( 'probe' ) )");
  }
  // OFF ends the dialog; everything the window thread did is then visible here.
  void finish() {
    server.send_text("OFF");
    window_thread.join();
    EXPECT_EQ(result, platform::kCancel);
  }
  // Waits until the file holds the text; logs are written by the window thread.
  bool file_contains(const std::string& name, const std::string& text, int timeout_ms = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
      if (read_file(dir / name).find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  TempDir dir;
  WorkingDirectory cwd{dir.path()};
  ScriptedServer server;
  std::unique_ptr<MainDialog> dialog;
  std::thread window_thread;
  int result = -1;
};

}  // namespace quorvel::testing
