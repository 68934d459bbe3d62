#include "arena/option_reader.h"

namespace quorvel::arena {

std::string read_options(const std::vector<std::string>& args,
                         const std::vector<OptionSpec>& options,
                         const std::function<std::string(const std::string&)>& positional) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    if (name.rfind("--", 0) != 0 && positional) {
      const std::string error = positional(name);
      if (!error.empty()) return error;
      continue;
    }
    std::string value;
    bool has_value = false;
    if (const std::size_t equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
      has_value = true;
    }
    const OptionSpec* known = nullptr;
    for (const OptionSpec& option : options) {
      if (option.name == name) known = &option;
    }
    if (known == nullptr) return "unknown option " + name;
    if (known->flag) {
      if (has_value) return "option " + name + " takes no value";
      known->take("");
      continue;
    }
    if (!has_value) {
      if (i + 1 >= args.size()) return "option " + name + " needs a value";
      value = args[++i];
    }
    if (!known->take(value)) return "bad value '" + value + "' for " + name;
  }
  return "";
}

}  // namespace quorvel::arena
