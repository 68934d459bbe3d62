#pragma once

#include <filesystem>

namespace quorvel {

// The playing bot's progress channel: what it thought in each phase. Switched on, each
// line goes to "tracelog.txt"; switched off, nothing is written. Lines traced before
// either wait and follow the decision.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Switches the channel on (the file is replaced at its first line) or off.
void SetTracing(bool on, const std::filesystem::path& directory = {});

}  // namespace quorvel
