#include "server/game_record.h"

namespace quorvel::server {

GameRecord::GameRecord(const std::string& path, bool line_by_line) : line_by_line_(line_by_line) {
  if (!path.empty()) file_ = std::fopen(path.c_str(), "w");
}

GameRecord::~GameRecord() {
  if (file_ != nullptr) std::fclose(file_);
}

void GameRecord::write(const std::string& text) {
  if (file_ == nullptr) return;
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(file_, "%9.3f %s\n", seconds, text.c_str());
  if (line_by_line_) std::fflush(file_);
}

}  // namespace quorvel::server
