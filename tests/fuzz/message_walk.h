#pragma once

#include <vector>

#include "protocol/token_message.h"

namespace quorvel::fuzzing {

// Touches every element of a message and of its sub-messages, and the indexes just
// outside them, the way handlers take messages apart.
inline void walk(const TokenMessage& message, int depth = 0) {
  const int count = message.sub_message_count();
  for (int i = -1; i <= count; ++i) {
    const TokenMessage sub = message.sub_message(i);
    const int start = message.sub_message_start(i);
    const bool single = message.sub_message_is_single_token(i);
    if (start >= 0) (void)message.token_at(start);
    if (single && sub.length() != 1) __builtin_trap();
    if (depth < 64 && start >= 0 && !single) walk(sub, depth + 1);
  }
  (void)message.token_at(message.length());
  (void)message.to_text();
  if (!message.is_empty()) {
    std::vector<Token> out(static_cast<std::size_t>(message.length()) + 1);
    if (!message.copy_out(out.data(), static_cast<int>(out.size()))) __builtin_trap();
  }
}

}  // namespace quorvel::fuzzing
