#include "shell/trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace quorvel {

namespace {

struct TraceChannel {
  std::mutex lock;
  bool on = false;
  std::filesystem::path path = "tracelog.txt";
  std::FILE* file = nullptr;
};

TraceChannel& channel() {
  static TraceChannel* trace = new TraceChannel();
  return *trace;
}

}  // namespace

void SetTracing(bool on, const std::filesystem::path& directory) {
  TraceChannel& trace = channel();
  std::lock_guard guard(trace.lock);
  trace.on = on;
  trace.path = directory.empty() ? "tracelog.txt" : directory / "tracelog.txt";
  if (!on && trace.file != nullptr) {
    std::fclose(trace.file);
    trace.file = nullptr;
  }
}

void Trace(const char* format, ...) {
  TraceChannel& trace = channel();
  std::lock_guard guard(trace.lock);
  if (!trace.on) return;
  if (trace.file == nullptr) trace.file = std::fopen(trace.path.c_str(), "w");
  if (trace.file == nullptr) return;
  std::va_list args;
  va_start(args, format);
  std::vfprintf(trace.file, format, args);
  va_end(args);
  std::fputc('\n', trace.file);
  std::fflush(trace.file);
}

}  // namespace quorvel
