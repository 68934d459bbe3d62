#pragma once

#include <atomic>
#include <functional>

namespace quorvel::platform {

// The window thread's event loop, run modally by the thread that calls run(). Other
// threads post notifications; SIGINT, SIGTERM and SIGHUP end it as Cancel does.
class ModalLoop {
 public:
  ModalLoop();
  ~ModalLoop();
  ModalLoop(const ModalLoop&) = delete;
  ModalLoop& operator=(const ModalLoop&) = delete;

  // Thread-safe and async-signal-safe; coalesces while one is pending.
  void post_notification();
  // Ends the loop after the current callback returns; on the loop's thread.
  void end(int result);
  // Ends the loop as Cancel does, from any thread.
  void request_cancel();
  bool ended() const { return ended_; }

  // Runs on_start once, then calls on_notification for posted notifications until the
  // loop ends; answers the result given to end().
  int run(const std::function<void()>& on_start, const std::function<void()>& on_notification);

 private:
  int pipe_[2] = {-1, -1};
  std::atomic<bool> notification_pending_{false};
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace quorvel::platform
