#include "base/logs.h"

#include <string>

namespace quorvel {

LogFiles::LogFiles(std::filesystem::path directory) : directory_(std::move(directory)) {}

LogFiles::~LogFiles() {
  close();
}

std::FILE* LogFiles::open(std::FILE*& file, const char* name) {
  if (file == nullptr && !closed_) {
    const std::filesystem::path path = directory_.empty() ? name : directory_ / name;
    file = std::fopen(path.string().c_str(), "w");
  }
  return file;
}

void LogFiles::error(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  verror(format, args);
  va_end(args);
}

void LogFiles::verror(const char* format, std::va_list args) {
  std::lock_guard guard(lock_);
  std::FILE* file = open(error_file_, "errorlog.txt");
  if (file == nullptr) return;
  std::vfprintf(file, format, args);
  std::fflush(file);
  std::fputs("\n", file);
  std::fflush(file);
}

void LogFiles::set_traffic_logging(bool on) {
  std::lock_guard guard(lock_);
  traffic_logging_ = on;
}

bool LogFiles::traffic_logging() const {
  std::lock_guard guard(lock_);
  return traffic_logging_;
}

void LogFiles::traffic(TrafficDirection direction, std::string_view text) {
  write_traffic_line(direction == TrafficDirection::kIncoming ? ">> " : "<< ", text);
}

void LogFiles::event(std::string_view text) {
  write_traffic_line("== ", text);
}

void LogFiles::write_traffic_line(std::string_view mark, std::string_view text) {
  std::lock_guard guard(lock_);
  if (!traffic_logging_) return;
  std::FILE* file = open(traffic_file_, "tcpiplog.txt");
  if (file == nullptr) return;
  std::string line;
  line.reserve(mark.size() + text.size() + 1);
  line.append(mark).append(text).push_back('\n');
  std::fwrite(line.data(), 1, line.size(), file);
  std::fflush(file);
}

void LogFiles::close() {
  std::lock_guard guard(lock_);
  closed_ = true;
  for (std::FILE** file : {&error_file_, &traffic_file_}) {
    if (*file != nullptr) std::fclose(*file);
    *file = nullptr;
  }
}

}  // namespace quorvel
