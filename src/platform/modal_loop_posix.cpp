#include <signal.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/dialog_window.h"
#include "platform/modal_loop.h"
#include "platform/os.h"

namespace quorvel::platform {

namespace {

constexpr char kNotify = 'N';
constexpr char kCancelByte = 'C';
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The wake-up of the loop that is running, for the signal handler.
std::atomic<const os::Wakeup*> running_loop_wakeup{nullptr};

void on_cancel_signal(int) {
  const int saved = errno;
  if (const os::Wakeup* wakeup = running_loop_wakeup.load()) wakeup->signal(kCancelByte);
  errno = saved;
}

}  // namespace

struct ModalLoop::State {
  os::Wakeup wakeup;
  std::atomic<bool> notification_pending{false};
  bool ended = false;
  int result = 0;
};

void ShowMessageBox(const std::string& text) {
  std::fprintf(stderr, "Quorvel: %s\n", text.c_str());
  std::fflush(stderr);
}

ModalLoop::ModalLoop() : state_(std::make_unique<State>()) {}

ModalLoop::~ModalLoop() = default;

void ModalLoop::post_notification() {
  if (state_->notification_pending.exchange(true)) return;
  state_->wakeup.signal(kNotify);
}

void ModalLoop::request_cancel() {
  state_->wakeup.signal(kCancelByte);
}

void ModalLoop::end(int result) {
  state_->ended = true;
  state_->result = result;
}

// Headless: there is no window to hide or minimise.
void ModalLoop::hide() {}
void ModalLoop::minimise() {}

int ModalLoop::run(const std::function<void()>& on_start,
                   const std::function<void()>& on_notification) {
  State& state = *state_;
  struct sigaction cancel {};
  cancel.sa_handler = on_cancel_signal;
  sigemptyset(&cancel.sa_mask);
  struct sigaction previous[3];
  running_loop_wakeup.store(&state.wakeup);
  for (int i = 0; i < 3; ++i)
    ::sigaction(kSignals[i], &cancel, &previous[i]);
  os::ignore_broken_pipes();

  if (on_start) on_start();
  while (!state.ended && state.wakeup.valid()) {
    os::SocketWait wait;
    wait.socket = state.wakeup.handle();
    wait.read = true;
    if (os::wait_sockets({&wait, 1}, -1) <= 0) continue;
    char bytes[64];
    const int n = state.wakeup.drain(bytes, sizeof bytes);
    bool notified = false;
    for (int i = 0; i < n; ++i) {
      if (bytes[i] == kCancelByte) end(kCancel);
      if (bytes[i] == kNotify) notified = true;
    }
    if (state.ended) break;
    if (notified) {
      state.notification_pending.store(false);
      if (on_notification) on_notification();
    }
  }

  running_loop_wakeup.store(nullptr);
  for (int i = 0; i < 3; ++i)
    ::sigaction(kSignals[i], &previous[i], nullptr);
  return state.result;
}

}  // namespace quorvel::platform
