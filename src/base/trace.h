#pragma once

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace quorvel {

// A bot's progress channel: what it thought in each phase. Switched on, each line goes to
// "tracelog.txt"; switched off, nothing is written. Lines traced before either wait and
// follow the decision (the bot traces while it is built, before its command line is read).
class TraceLog {
 public:
  TraceLog() = default;
  ~TraceLog();
  TraceLog(const TraceLog&) = delete;
  TraceLog& operator=(const TraceLog&) = delete;

  void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void vline(const char* format, std::va_list args);
  // Switches the channel on (the file is replaced at its first line) or off. An empty
  // directory means the working directory.
  void switch_on(bool on, const std::filesystem::path& directory = {});
  // Whether lines are kept: callers skip making costly lines when not.
  bool keeps_lines() const;

 private:
  void write(const std::string& line);

  mutable std::mutex lock_;
  bool configured_ = false;
  bool on_ = false;
  std::filesystem::path path_ = "tracelog.txt";
  std::FILE* file_ = nullptr;
  std::vector<std::string> early_;
};

}  // namespace quorvel
