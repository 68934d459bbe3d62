#pragma once

#include "protocol/token_message.h"

namespace quorvel {

// Position, within a whole message, of the first token of element i of a sub-message
// that starts at offset: the BRA of a bracketed element, else the token itself. One past
// the sub-message's end when there is no element i.
inline int element_position(const TokenMessage& message, int i, int offset) {
  const int start = message.sub_message_start(i);
  if (start < 0) return offset + message.length();
  return offset + start - (message.sub_message_is_single_token(i) ? 0 : 1);
}

// Position of the first token of element i's content, as sub_message_start gives it.
inline int content_position(const TokenMessage& message, int i, int offset) {
  const int start = message.sub_message_start(i);
  return start < 0 ? offset + message.length() : offset + start;
}

}  // namespace quorvel
