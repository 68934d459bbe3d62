#pragma once

#include <cstdio>

namespace quorvel {

// Writes the file's buffered data and makes the system put it on the disk, so that a
// file renamed over an older one afterwards never replaces it with a half-written one.
bool flush_to_disk(std::FILE* file);

}  // namespace quorvel
