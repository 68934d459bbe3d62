#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace quorvel::server {

// The written record of a game: every message sent and received, one per line, with the
// seconds since the start, and the events around them.
class GameRecord {
 public:
  // A server's record reaches its file line by line, so that what a stopped server leaves
  // is whole; a host that writes many records at once may leave that to the buffer.
  explicit GameRecord(const std::string& path, bool line_by_line = true);
  ~GameRecord();
  GameRecord(const GameRecord&) = delete;
  GameRecord& operator=(const GameRecord&) = delete;

  bool is_open() const { return file_ != nullptr; }
  void write(const std::string& text);

 private:
  std::FILE* file_ = nullptr;
  bool line_by_line_ = true;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace quorvel::server
