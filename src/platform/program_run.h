#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace quorvel::platform {

// How a program ended: its exit status, or the signal that killed it.
struct ProgramEnd {
  bool signalled = false;
  int number = 0;
  // "exited 3", "signal 9".
  std::string text() const;
};

// A program started from a command line through the system's shell, in a working folder
// of its own (its output and errors go to "output.txt" there), in a process group of its
// own: it and everything it starts are stopped together, and a Ctrl-C at the terminal
// reaches the host alone, which stops them (stop_all_programs). POSIX only; elsewhere
// start() says so.
class ProgramRun {
 public:
  // None, and why in error, when it cannot be started.
  static std::unique_ptr<ProgramRun> start(const std::string& command, const std::string& folder,
                                           std::string& error);
  ~ProgramRun();  // stops it
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  // Its end once the program has ended; never waits.
  std::optional<ProgramEnd> poll();
  // Stops its whole group: a termination request, then after the grace a kill; its end.
  ProgramEnd stop(std::chrono::milliseconds grace = std::chrono::milliseconds(1000));

 private:
  explicit ProgramRun(long pid) : pid_(pid) {}
  void forget();

  long pid_;
  std::optional<ProgramEnd> end_;
  bool group_gone_ = false;
};

// Kills every program group still running; safe in a signal handler.
void stop_all_programs();

}  // namespace quorvel::platform
