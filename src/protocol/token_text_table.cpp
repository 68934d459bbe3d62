#include "protocol/token_text_table.h"

#include "protocol/tokens.h"

namespace quorvel {

const TokenTextTable& TokenTextTable::standard() {
  static const TokenTextTable table;
  return table;
}

namespace {

// The brackets print as themselves; every other token by its name.
const char* standard_text(Token token, const char* name) {
  if (token == tok::BRA) return "(";
  if (token == tok::KET) return ")";
  return name;
}

}  // namespace

TokenTextTable::TokenTextTable() {
#define QUORVEL_ADD_TOKEN(name, value) add(tok::name, standard_text(tok::name, #name));
  QUORVEL_TEXT_TOKENS(QUORVEL_ADD_TOKEN)
#undef QUORVEL_ADD_TOKEN
}

bool TokenTextTable::add(Token token, const std::string& text) {
  if (texts_.count(token) != 0 || tokens_.count(text) != 0) return false;
  texts_.emplace(token, text);
  tokens_.emplace(text, token);
  return true;
}

void TokenTextTable::erase_category(int category) {
  const auto first = texts_.lower_bound(Token(category, 0x00));
  const auto last = texts_.upper_bound(Token(category, 0xFF));
  for (auto it = first; it != last; ++it)
    tokens_.erase(it->second);
  texts_.erase(first, last);
}

void TokenTextTable::clear_powers_and_provinces() {
  erase_category(CATEGORY_POWER);
  for (int c = CATEGORY_PROVINCE_FIRST; c <= CATEGORY_PROVINCE_LAST; ++c)
    erase_category(c);
}

std::optional<std::string> TokenTextTable::text_of(Token token) const {
  const auto it = texts_.find(token);
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

std::optional<Token> TokenTextTable::token_of(std::string_view text) const {
  const auto it = tokens_.find(text);
  if (it == tokens_.end()) return std::nullopt;
  return it->second;
}

void TokenTextTable::append_text(Token token, std::string& out) const {
  const auto it = texts_.find(token);
  if (it == texts_.end()) {
    out += "??? ";
  } else {
    out += it->second;
    out += ' ';
  }
}

}  // namespace quorvel
