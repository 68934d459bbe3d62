#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "platform/program_run.h"

namespace quorvel::platform {

namespace {

// The groups still running, for a signal handler to kill: plain atomics, no locks.
constexpr int kMaxGroups = 1024;
std::atomic<long> live_groups[kMaxGroups];

void remember(long group) {
  for (auto& slot : live_groups) {
    long none = 0;
    if (slot.compare_exchange_strong(none, group)) return;
  }
}

void forget_group(long group) {
  for (auto& slot : live_groups) {
    long expected = group;
    if (slot.compare_exchange_strong(expected, 0)) return;
  }
}

ProgramEnd end_of(int status) {
  if (WIFSIGNALED(status)) return ProgramEnd{true, WTERMSIG(status)};
  return ProgramEnd{false, WIFEXITED(status) ? WEXITSTATUS(status) : 0};
}

bool group_alive(long group) {
  return ::kill(static_cast<pid_t>(-group), 0) == 0 || errno == EPERM;
}

// A command the shell runs as one program is run in its place (exec), so that its exit
// and the signal that killed it are the program's own, not the shell's.
std::string shell_line(const std::string& command) {
  const bool simple = command.find_first_of(";&|()<>`$\n") == std::string::npos;
  const std::size_t first = command.find_first_not_of(" \t");
  const std::size_t first_end = command.find_first_of(" \t", first);
  const bool assigns = first != std::string::npos &&
                       command.substr(first, first_end - first).find('=') != std::string::npos;
  return simple && !assigns ? "exec " + command : command;
}

}  // namespace

std::string ProgramEnd::text() const {
  return (signalled ? "signal " : "exited ") + std::to_string(number);
}

std::unique_ptr<ProgramRun> ProgramRun::start(const std::string& command, const std::string& folder,
                                              std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) {
    error = "'" + folder + "' is no folder";
    return nullptr;
  }
  const std::string output = (std::filesystem::path(folder) / "output.txt").string();
  const std::string line = shell_line(command);
#ifdef __linux__
  // What the programs start and leave behind becomes ours to reap, so that a stopped
  // group is seen gone, not held up by its dead waiting for a reaper.
  static const bool reaper = ::prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
  (void)reaper;
#endif
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) {
    error = std::string("cannot start a process: ") + std::strerror(errno);
    return nullptr;
  }
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec.
    ::setpgid(0, 0);
#ifdef __linux__
    // Gone with the host, however it ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(126);
#endif
    (void)parent;
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Set from both sides, so that the group exists before either goes on.
  ::setpgid(pid, pid);
  remember(pid);
  return std::unique_ptr<ProgramRun>(new ProgramRun(pid));
}

ProgramRun::~ProgramRun() {
  stop(std::chrono::milliseconds(200));
}

void ProgramRun::forget() {
  if (!end_ || !group_gone_) return;
  forget_group(pid_);
}

std::optional<ProgramEnd> ProgramRun::poll() {
  // Every dead process of the group is reaped; the first program's end is kept.
  int status = 0;
  for (pid_t dead; (dead = ::waitpid(static_cast<pid_t>(-pid_), &status, WNOHANG)) > 0;) {
    if (dead == pid_) end_ = end_of(status);
  }
  return end_;
}

ProgramEnd ProgramRun::stop(std::chrono::milliseconds grace) {
  if (group_gone_ && end_) return *end_;
  const auto pid = static_cast<pid_t>(pid_);
  ::kill(-pid, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + grace;
  while (std::chrono::steady_clock::now() < deadline) {
    poll();
    if (end_ && !group_alive(pid_)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // What did not go when asked goes now, the program's own children with it.
  ::kill(-pid, SIGKILL);
  if (!end_) {
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid) end_ = end_of(status);
    if (!end_) end_ = ProgramEnd{true, SIGKILL};
  }
  poll();
  group_gone_ = true;
  forget();
  return *end_;
}

void stop_all_programs() {
  for (auto& slot : live_groups) {
    const long group = slot.load();
    if (group > 0) ::kill(static_cast<pid_t>(-group), SIGKILL);
  }
}

}  // namespace quorvel::platform
