// Takes arbitrary 16-bit words as a received message, walks it and joins its pieces.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "message_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using quorvel::TokenMessage;
  std::vector<std::uint16_t> words(size / 2);
  if (!words.empty()) std::memcpy(words.data(), data, words.size() * 2);
  TokenMessage message;
  const int n = static_cast<int>(words.size());
  const int result = message.set_from_words(words.data(), n);
  if (result < -1 || result > n) __builtin_trap();
  if (result != -1 && !message.is_empty()) __builtin_trap();
  quorvel::fuzzing::walk(message);
  // Joining arbitrary pieces, balanced or not, must keep every access in bounds.
  const TokenMessage half = message.sub_message(0);
  quorvel::fuzzing::walk(half + message);
  quorvel::fuzzing::walk(message & half);
  quorvel::fuzzing::walk(message.enclose());
  if (n > 0) {
    TokenMessage raw;
    for (int i = 0; i < n && i < 256; ++i)
      raw = raw + quorvel::Token(words[static_cast<std::size_t>(i)]);
    quorvel::fuzzing::walk(raw);
  }
  return 0;
}
