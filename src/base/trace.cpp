#include "base/trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace quorvel {

namespace {

// Lines traced before the command line is known (the bot traces while it is
// constructed) wait here, up to a bound, until the channel is switched on or off.
constexpr std::size_t kMaxEarlyLines = 256;

struct TraceChannel {
  std::mutex lock;
  bool configured = false;
  bool on = false;
  std::filesystem::path path = "tracelog.txt";
  std::FILE* file = nullptr;
  std::vector<std::string> early;
};

TraceChannel& channel() {
  static TraceChannel* trace = new TraceChannel();
  return *trace;
}

void write_line(TraceChannel& trace, const std::string& line) {
  if (trace.file == nullptr) trace.file = std::fopen(trace.path.c_str(), "w");
  if (trace.file == nullptr) return;
  std::fputs(line.c_str(), trace.file);
  std::fputc('\n', trace.file);
  std::fflush(trace.file);
}

}  // namespace

void SetTracing(bool on, const std::filesystem::path& directory) {
  TraceChannel& trace = channel();
  std::lock_guard guard(trace.lock);
  trace.configured = true;
  trace.on = on;
  trace.path = directory.empty() ? "tracelog.txt" : directory / "tracelog.txt";
  if (on) {
    for (const std::string& line : trace.early)
      write_line(trace, line);
  } else if (trace.file != nullptr) {
    std::fclose(trace.file);
    trace.file = nullptr;
  }
  trace.early.clear();
}

void Trace(const char* format, ...) {
  TraceChannel& trace = channel();
  std::lock_guard guard(trace.lock);
  if (trace.configured && !trace.on) return;
  std::va_list args;
  va_start(args, format);
  std::va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string line(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(line.data(), line.size() + 1, format, args);
  va_end(args);
  if (!trace.configured) {
    if (trace.early.size() < kMaxEarlyLines) trace.early.push_back(std::move(line));
    return;
  }
  write_line(trace, line);
}

}  // namespace quorvel
