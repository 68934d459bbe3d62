#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "protocol/token_message.h"
#include "support/temp_dir.h"

namespace quorvel::testing {

// Parses text written in the printed form; a test that writes bad text fails here.
inline TokenMessage parse(const std::string& text) {
  TokenMessage message;
  const int fault = message.parse_text(text);
  EXPECT_EQ(fault, -1) << "cannot parse at " << fault << ": " << text;
  return message;
}

inline TokenMessage standard_map_message() {
  return parse(data_file("maps/standard.mdf"));
}

// Token index of the n-th (from 1) occurrence of word in text whose tokens are all
// separated by spaces, brackets included.
inline int token_index(const std::string& text, const std::string& word, int n = 1) {
  std::istringstream words(text);
  std::string w;
  int index = 0;
  while (words >> w) {
    if (w == word && --n == 0) return index;
    ++index;
  }
  ADD_FAILURE() << word << " not found in " << text;
  return -2;
}

}  // namespace quorvel::testing

namespace quorvel {

// Lets test failures show messages and tokens as text.
inline void PrintTo(const TokenMessage& message, std::ostream* out) {
  if (message.is_empty()) {
    *out << "<empty>";
  } else {
    *out << '\'' << message.to_text() << '\'';
  }
}
inline void PrintTo(Token token, std::ostream* out) {
  *out << (token == Token() ? "<none>" : TokenMessage(token).to_text());
}

}  // namespace quorvel
