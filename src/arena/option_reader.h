#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quorvel::arena {

// One option of a command line: its name ("--games"), and what takes its value, answering
// false when the value is bad. A flag takes no value; its take is called with "".
struct OptionSpec {
  std::string name;
  std::function<bool(const std::string& value)> take;
  bool flag = false;
};

// Reads the options in order: "--name value" or "--name=value". A word that does not start
// with "--" goes to positional, which answers an error or ""; without one it is an
// unknown option. Answers the first error ("option --x needs a value", "unknown option
// --x", "bad value 'v' for --x"), or "" when every word was taken.
std::string read_options(const std::vector<std::string>& args,
                         const std::vector<OptionSpec>& options,
                         const std::function<std::string(const std::string&)>& positional = {});

}  // namespace quorvel::arena
