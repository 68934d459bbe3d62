#include "base/whole_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace quorvel {

bool write_whole_file(const std::string& path, const std::string& text, std::string* error) {
  const std::string partial = path + ".partial";
  auto failed = [&](const std::string& what) {
    if (error) *error = path + ": " + what + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return false;
  };
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) return failed("cannot be written");
  // Renamed over the old one, the file is whole for every reader, whenever this process
  // stops; it is not forced onto the disk, which would cost a game a disk's wait per phase.
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) return failed("cannot be written");
  std::error_code renamed;
  std::filesystem::rename(partial, path, renamed);
  if (renamed) {
    errno = renamed.value();
    return failed("cannot be replaced");
  }
  return true;
}

}  // namespace quorvel
