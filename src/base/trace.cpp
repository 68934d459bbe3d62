#include "base/trace.h"

#include <cstdarg>

namespace quorvel {

namespace {

// Lines kept while the channel is neither on nor off, at most.
constexpr std::size_t kMaxEarlyLines = 256;

}  // namespace

TraceLog::~TraceLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void TraceLog::write(const std::string& line) {
  if (file_ == nullptr) file_ = std::fopen(path_.string().c_str(), "w");
  if (file_ == nullptr) return;
  std::fputs(line.c_str(), file_);
  std::fputc('\n', file_);
  std::fflush(file_);
}

void TraceLog::switch_on(bool on, const std::filesystem::path& directory) {
  std::lock_guard guard(lock_);
  configured_ = true;
  on_ = on;
  path_ = directory.empty() ? "tracelog.txt" : directory / "tracelog.txt";
  if (on) {
    for (const std::string& line : early_)
      write(line);
  } else if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  early_.clear();
}

bool TraceLog::keeps_lines() const {
  std::lock_guard guard(lock_);
  return !configured_ || on_;
}

void TraceLog::line(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  vline(format, args);
  va_end(args);
}

void TraceLog::vline(const char* format, std::va_list args) {
  std::lock_guard guard(lock_);
  if (configured_ && !on_) return;
  std::va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  if (!configured_) {
    if (early_.size() < kMaxEarlyLines) early_.push_back(std::move(text));
    return;
  }
  write(text);
}

}  // namespace quorvel
