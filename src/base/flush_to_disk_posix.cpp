#include <unistd.h>

#include "base/flush_to_disk.h"

namespace quorvel {

bool flush_to_disk(std::FILE* file) {
  return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0;
}

}  // namespace quorvel
