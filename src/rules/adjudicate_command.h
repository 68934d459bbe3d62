#pragma once

#include <iosfwd>

namespace quorvel::rules {

// The adjudicate command: a NOW line, an SCO line and any number of SUB lines on the
// input; the ORD lines of the phase, then the next SCO and NOW (or SLO) on the output.
// Answers the exit status: 0, or 2 after a clear message about bad input.
int run_adjudicate(std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace quorvel::rules
