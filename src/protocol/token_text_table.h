#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/token.h"

namespace quorvel {

// A table of token texts and its reverse. A bot keeps its own, in which the server's
// representation message may replace the names of powers and provinces.
class TokenTextTable {
 public:
  // The standard texts, built on first use and never changed.
  static const TokenTextTable& standard();

  // The standard texts.
  TokenTextTable();

  // False, and nothing changes, when the token already has a text or the text a token.
  bool add(Token token, const std::string& text);
  void erase_category(int category);
  void clear_powers_and_provinces();

  std::optional<std::string> text_of(Token token) const;
  std::optional<Token> token_of(std::string_view text) const;

  // Appends the token as the message printer writes it: the text and a space, or "??? ".
  void append_text(Token token, std::string& out) const;

 private:
  std::map<Token, std::string> texts_;
  std::map<std::string, Token, std::less<>> tokens_;
};

}  // namespace quorvel
