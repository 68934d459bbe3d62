#include "shell/press_timer.h"

namespace quorvel {

PressTimer::~PressTimer() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void PressTimer::start(std::chrono::milliseconds after) {
  {
    std::lock_guard guard(lock_);
    deadline_ = std::chrono::steady_clock::now() + after;
    // Started on first use: most bots never wait for press.
    if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  }
  changed_.notify_all();
}

void PressTimer::cancel() {
  {
    std::lock_guard guard(lock_);
    deadline_.reset();
  }
  changed_.notify_all();
}

void PressTimer::run() {
  std::unique_lock guard(lock_);
  while (!stopping_) {
    if (!deadline_) {
      changed_.wait(guard);
      continue;
    }
    if (changed_.wait_until(guard, *deadline_) == std::cv_status::no_timeout) continue;
    if (!deadline_ || std::chrono::steady_clock::now() < *deadline_) continue;
    deadline_.reset();
    guard.unlock();
    on_expiry_();
    guard.lock();
  }
}

}  // namespace quorvel
