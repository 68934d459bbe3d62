#pragma once

#include <charconv>
#include <string>

namespace quorvel::arena {

// A whole option value as a number within [low, high]; false for anything else.
template <typename T>
bool read_number(const std::string& text, T low, T high, T& out) {
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
    return false;
  out = value;
  return true;
}

}  // namespace quorvel::arena
