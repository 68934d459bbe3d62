#pragma once

#include <string>

namespace quorvel::platform {

// Result of a dialog ended as Cancel ends it.
inline constexpr int kCancel = 2;

// What the bot needs of the window that stands for it while it runs.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  // From any thread; never waits. The window thread then drains the bot's queue.
  virtual void PostQueueNotification() = 0;
  // Ends the modal loop as Cancel does.
  virtual void EndDialog(int result) = 0;
  virtual void Hide() = 0;
  virtual void Minimise() = 0;
};

// A message box with the application's caption "Quorvel": on Windows a real one, which
// waits for its OK; elsewhere "Quorvel: " and the text on standard error.
void ShowMessageBox(const std::string& text);

}  // namespace quorvel::platform
