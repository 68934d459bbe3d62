#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace quorvel {

// A one-shot timer on a thread of its own: after the time given it calls on_expiry (from
// its thread) unless cancelled or started again first. The bot's wait for answers to its
// proposals, which must end even when nobody answers.
class PressTimer {
 public:
  explicit PressTimer(std::function<void()> on_expiry) : on_expiry_(std::move(on_expiry)) {}
  ~PressTimer();
  PressTimer(const PressTimer&) = delete;
  PressTimer& operator=(const PressTimer&) = delete;

  void start(std::chrono::milliseconds after);
  void cancel();

 private:
  void run();

  std::function<void()> on_expiry_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::optional<std::chrono::steady_clock::time_point> deadline_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quorvel
