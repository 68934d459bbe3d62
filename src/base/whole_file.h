#pragma once

#include <string>

namespace quorvel {

// Writes the text through a file beside the path that is then renamed over it: whoever
// opens the path finds the whole text or the older file, never half of one, however the
// writer stops (a power cut aside: the file is not forced onto the disk). False, and why
// in error, when it cannot be written; the older file stays as it was.
bool write_whole_file(const std::string& path, const std::string& text,
                      std::string* error = nullptr);

}  // namespace quorvel
