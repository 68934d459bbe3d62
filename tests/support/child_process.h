#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quorvel::testing {

// A program run by a test, in a directory of its own, with its standard output and
// error kept in files there. Killed if the test leaves it running.
class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::filesystem::path& directory) {
    const std::string stderr_path = (directory / "stderr.txt").string();
    const std::string stdout_path = (directory / "stdout.txt").string();
    pid_ = ::fork();
    if (pid_ == 0) {
      if (::chdir(directory.c_str()) != 0) ::_exit(126);
      std::FILE* err = std::freopen(stderr_path.c_str(), "w", stderr);
      std::FILE* out = std::freopen(stdout_path.c_str(), "w", stdout);
      (void)err;
      (void)out;
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(program.c_str()));
      for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
  }
  ~ChildProcess() {
    if (pid_ > 0 && !exit_status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void signal(int number) { ::kill(pid_, number); }

  // The exit status, or nothing while it still runs after the time.
  std::optional<int> wait_exit(int timeout_ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!exit_status_) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return exit_status_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> exit_status_;
};

}  // namespace quorvel::testing
