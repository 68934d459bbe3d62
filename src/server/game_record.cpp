#include "server/game_record.h"

namespace quorvel::server {

GameRecord::GameRecord(const std::string& path) {
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
  std::fflush(file_);
}

}  // namespace quorvel::server
