#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quorvel {

// A file written through a file beside its path that is then renamed over it: whoever
// opens the path finds the whole text or the older file, never half of one, however the
// writer stops (a power cut aside: the file is not forced onto the disk).
class WholeFile {
 public:
  explicit WholeFile(std::string path);
  ~WholeFile();  // a file not committed is left as it was
  WholeFile(const WholeFile&) = delete;
  WholeFile& operator=(const WholeFile&) = delete;

  void write(std::string_view text);
  // False, and why in error, when it could not be written; the older file stays as it was.
  bool commit(std::string* error = nullptr);

 private:
  bool failed(const std::string& what, int number, std::string* error);

  std::string path_;
  std::string partial_;
  std::FILE* file_ = nullptr;
  int open_error_ = 0;
  int write_error_ = 0;
  bool written_ = true;
};

// The text as a whole file.
bool write_whole_file(const std::string& path, std::string_view text, std::string* error = nullptr);

}  // namespace quorvel
