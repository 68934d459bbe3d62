#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/token.h"

namespace quorvel {

// The process's one table of token texts and its reverse. The server may replace the
// names of powers and provinces.
class TokenTextTable {
 public:
  // Built with the standard texts on first use.
  static TokenTextTable& instance();

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
