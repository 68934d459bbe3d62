#include "base/whole_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace quorvel {

WholeFile::WholeFile(std::string path) : path_(std::move(path)), partial_(path_ + ".partial") {
  file_ = std::fopen(partial_.c_str(), "wb");
  if (!file_) open_error_ = errno;
}

WholeFile::~WholeFile() {
  if (!file_) return;
  std::fclose(file_);
  std::remove(partial_.c_str());
}

void WholeFile::write(std::string_view text) {
  if (!file_ || !written_) return;
  written_ = std::fwrite(text.data(), 1, text.size(), file_) == text.size();
  if (!written_) write_error_ = errno;
}

bool WholeFile::failed(const std::string& what, int number, std::string* error) {
  if (error) *error = path_ + ": " + what + ": " + std::strerror(number);
  std::remove(partial_.c_str());
  return false;
}

bool WholeFile::commit(std::string* error) {
  if (!file_) return failed("cannot be written", open_error_, error);
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!written_) return failed("cannot be written", write_error_, error);
  if (!closed) return failed("cannot be written", errno, error);
  // Renamed over the old one, the file is whole for every reader, whenever this process
  // stops; it is not forced onto the disk, which would cost a game a disk's wait per phase.
  std::error_code renamed;
  std::filesystem::rename(partial_, path_, renamed);
  if (renamed) return failed("cannot be replaced", renamed.value(), error);
  return true;
}

bool write_whole_file(const std::string& path, std::string_view text, std::string* error) {
  WholeFile file(path);
  file.write(text);
  return file.commit(error);
}

}  // namespace quorvel
