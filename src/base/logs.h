#pragma once

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string_view>

namespace quorvel {

enum class TrafficDirection { kIncoming, kOutgoing };

// The error log "errorlog.txt" and the traffic log "tcpiplog.txt" of one directory.
// Files are opened on their first line, replacing those of an earlier run, and every
// line is flushed at once. One lock serialises all writes: the error log is also
// written from the comms thread.
class LogFiles {
 public:
  // An empty directory means the working directory.
  explicit LogFiles(std::filesystem::path directory = {});
  ~LogFiles();
  LogFiles(const LogFiles&) = delete;
  LogFiles& operator=(const LogFiles&) = delete;

  void error(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void verror(const char* format, std::va_list args);
  void set_traffic_logging(bool on);
  bool traffic_logging() const;
  // A message's text; the writer prints it only when traffic is logged.
  void traffic(TrafficDirection direction, std::string_view text);
  void event(std::string_view text);
  // Closes both files; nothing is written afterwards.
  void close();

 private:
  // Opens the file when needed; nullptr when it cannot be opened or the logs are closed.
  std::FILE* open(std::FILE*& file, const char* name);
  void write_traffic_line(std::string_view mark, std::string_view text);

  std::filesystem::path directory_;
  mutable std::mutex lock_;
  std::FILE* error_file_ = nullptr;
  std::FILE* traffic_file_ = nullptr;
  bool traffic_logging_ = false;
  bool closed_ = false;
};

}  // namespace quorvel
