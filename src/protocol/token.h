#pragma once

#include <compare>
#include <cstdint>

namespace quorvel {

// A DAIDE token: category in the high byte, sub-token in the low byte.
class Token {
 public:
  constexpr Token() = default;
  constexpr explicit Token(std::uint16_t value) : value_(value) {}
  constexpr Token(int category, int subtoken)
      : value_(static_cast<std::uint16_t>(((category & 0xFF) << 8) | (subtoken & 0xFF))) {}

  // A number token keeps the low 14 bits of n; larger values wrap.
  static constexpr Token from_number(int n) {
    Token t;
    t.set_number(n);
    return t;
  }
  // A text token carries one character.
  static constexpr Token from_char(char c) { return Token(0x4B, static_cast<unsigned char>(c)); }

  constexpr std::uint16_t value() const { return value_; }
  constexpr int category() const { return value_ >> 8; }
  constexpr int subtoken() const { return value_ & 0xFF; }

  constexpr bool is_number() const { return (value_ & 0xC000) == 0; }
  constexpr int number() const {
    const std::uint32_t v = value_;
    if (v & 0x2000) return static_cast<std::int32_t>(v | 0xFFFFE000u);
    return static_cast<int>(v & 0x3FFF);
  }
  constexpr void set_number(int n) {
    value_ = static_cast<std::uint16_t>(static_cast<std::uint32_t>(n) & 0x3FFFu);
  }
  constexpr bool is_province() const { return (value_ & 0xF800) == 0x5000; }
  constexpr bool is_text() const { return category() == 0x4B; }

  friend constexpr bool operator==(Token a, Token b) = default;
  friend constexpr auto operator<=>(Token a, Token b) = default;

 private:
  std::uint16_t value_ = 0;
};

// Token categories that the game model reads.
inline constexpr int CATEGORY_BRACKET = 0x40;
inline constexpr int CATEGORY_POWER = 0x41;
inline constexpr int CATEGORY_UNIT_TYPE = 0x42;
inline constexpr int CATEGORY_ORDER = 0x43;
inline constexpr int CATEGORY_ORDER_NOTE = 0x44;
inline constexpr int CATEGORY_RESULT = 0x45;
inline constexpr int CATEGORY_COAST = 0x46;
inline constexpr int CATEGORY_PHASE = 0x47;
inline constexpr int CATEGORY_COMMAND = 0x48;
inline constexpr int CATEGORY_PARAMETER = 0x49;
inline constexpr int CATEGORY_PRESS = 0x4A;
inline constexpr int CATEGORY_TEXT = 0x4B;
inline constexpr int CATEGORY_PROVINCE_FIRST = 0x50;
inline constexpr int CATEGORY_PROVINCE_LAST = 0x57;

}  // namespace quorvel
