#pragma once

#include <functional>
#include <memory>

namespace quorvel::platform {

// The window thread's event loop, run modally by the thread that calls run(). Other
// threads post notifications. On Windows it is the program's dialog window (dialog 102
// and icon 128 of the program's resources), whose Cancel button and close command end
// it; elsewhere it has no window, and SIGINT, SIGTERM and SIGHUP end it as Cancel does.
class ModalLoop {
 public:
  ModalLoop();
  ~ModalLoop();
  ModalLoop(const ModalLoop&) = delete;
  ModalLoop& operator=(const ModalLoop&) = delete;

  // Thread-safe (and async-signal-safe without a window); coalesces while one is pending.
  void post_notification();
  // Ends the loop after the current callback returns; on the loop's thread.
  void end(int result);
  // Ends the loop as Cancel does, from any thread.
  void request_cancel();
  // The window's show state, applied once it is first shown.
  void hide();
  void minimise();

  // Runs on_start once, then calls on_notification for posted notifications until the
  // loop ends; answers the result given to end().
  int run(const std::function<void()>& on_start, const std::function<void()>& on_notification);

  // Defined by each system's implementation.
  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace quorvel::platform
