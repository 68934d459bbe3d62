#include "savedgame/saved_game_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "base/flush_to_disk.h"
#include "savedgame/saved_game_json.h"

namespace quorvel::savedgame {

bool write_saved_game(const std::string& path, const SavedGame& game, std::string* error) {
  const std::string text = saved_game_json(game) + "\n";
  const std::string partial = path + ".partial";
  auto failed = [&](const std::string& what) {
    if (error) *error = path + ": " + what + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return false;
  };
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) return failed("cannot be written");
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool flushed = written && flush_to_disk(file);
  if (std::fclose(file) != 0 || !flushed) return failed("cannot be written");
  std::error_code renamed;
  std::filesystem::rename(partial, path, renamed);
  if (renamed) {
    errno = renamed.value();
    return failed("cannot be replaced");
  }
  return true;
}

}  // namespace quorvel::savedgame
