#pragma once

#include <charconv>
#include <string_view>

namespace quorvel {

// A whole text as a number within [low, high]: digits (and a sign or point where the type
// takes one) and nothing else, as options and data files must be written. False for
// anything else, and out is left alone.
template <typename T>
bool read_number(std::string_view text, T low, T high, T& out) {
  T value{};
  const char* const end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || stop != end || value < low || value > high) return false;
  out = value;
  return true;
}

// The leading decimal integer of a text as C's atoi reads it: blanks skipped, an optional
// sign, then digits up to the first other character; 0 when there are none. Clamped to
// the range of int instead of overflowing.
int leading_int(std::string_view text);

}  // namespace quorvel
