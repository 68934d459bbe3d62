#include "platform/modal_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/dialog_window.h"

namespace quorvel::platform {

namespace {

constexpr char kNotify = 'N';
constexpr char kCancelByte = 'C';
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The pipe of the loop that is running, for the signal handler.
std::atomic<int> running_loop_pipe{-1};

// A full pipe already holds a wake-up, so a failed write loses nothing.
void write_byte(int fd, char byte) {
  if (fd < 0) return;
  [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
}

void on_cancel_signal(int) {
  const int saved = errno;
  write_byte(running_loop_pipe.load(), kCancelByte);
  errno = saved;
}

}  // namespace

void ShowMessageBox(const std::string& text) {
  std::fprintf(stderr, "Quorvel: %s\n", text.c_str());
  std::fflush(stderr);
}

ModalLoop::ModalLoop() {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) pipe_[0] = pipe_[1] = -1;
}

ModalLoop::~ModalLoop() {
  for (int fd : pipe_) {
    if (fd >= 0) ::close(fd);
  }
}

void ModalLoop::post_notification() {
  if (notification_pending_.exchange(true)) return;
  write_byte(pipe_[1], kNotify);
}

void ModalLoop::request_cancel() {
  write_byte(pipe_[1], kCancelByte);
}

void ModalLoop::end(int result) {
  ended_ = true;
  result_ = result;
}

int ModalLoop::run(const std::function<void()>& on_start,
                   const std::function<void()>& on_notification) {
  struct sigaction cancel {};
  cancel.sa_handler = on_cancel_signal;
  sigemptyset(&cancel.sa_mask);
  struct sigaction previous[3];
  running_loop_pipe.store(pipe_[1]);
  for (int i = 0; i < 3; ++i)
    ::sigaction(kSignals[i], &cancel, &previous[i]);
  // A peer that vanishes must never end the program.
  ::signal(SIGPIPE, SIG_IGN);

  if (on_start) on_start();
  while (!ended_ && pipe_[0] >= 0) {
    pollfd wait{pipe_[0], POLLIN, 0};
    if (::poll(&wait, 1, -1) < 0) continue;
    char bytes[64];
    const ssize_t n = ::read(pipe_[0], bytes, sizeof bytes);
    bool notified = false;
    for (ssize_t i = 0; i < n; ++i) {
      if (bytes[i] == kCancelByte) end(kCancel);
      if (bytes[i] == kNotify) notified = true;
    }
    if (ended_) break;
    if (notified) {
      notification_pending_.store(false);
      if (on_notification) on_notification();
    }
  }

  running_loop_pipe.store(-1);
  for (int i = 0; i < 3; ++i)
    ::sigaction(kSignals[i], &previous[i], nullptr);
  return result_;
}

}  // namespace quorvel::platform
