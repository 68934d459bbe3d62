#include "protocol/token_message.h"

#include <algorithm>

#include "protocol/token_text_table.h"
#include "protocol/tokens.h"

namespace quorvel {

namespace {

// Walks top-level elements. A KET that closes nothing counts as an element of its own,
// so that messages joined from unbalanced pieces still have bounds that stay inside
// their tokens.
template <typename OnStart>
int walk_elements(const Token* tokens, int n, OnStart on_start) {
  int depth = 0;
  int count = 0;
  for (int i = 0; i < n; ++i) {
    if (depth == 0) {
      on_start(i);
      ++count;
    }
    if (tokens[i] == tok::BRA) {
      ++depth;
    } else if (tokens[i] == tok::KET && depth > 0) {
      --depth;
    }
  }
  return count;
}

bool is_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
char to_upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

TokenMessage::TokenMessage(Token token) : tokens_{token, tok::END_OF_MESSAGE}, count_(1) {}

int TokenMessage::set_from_tokens(const Token* tokens, int n) {
  tokens_.clear();
  count_ = -1;
  starts_built_ = false;
  if (n < 0 || (n > 0 && tokens == nullptr)) return 0;
  int depth = 0;
  for (int i = 0; i < n; ++i) {
    if (tokens[i] == tok::BRA) {
      ++depth;
    } else if (tokens[i] == tok::KET && --depth < 0) {
      return i + 1;
    }
  }
  if (depth != 0) return n;
  assign_range(tokens, tokens + n);
  return -1;
}

int TokenMessage::set_from_words(const std::uint16_t* words, int n) {
  if (n <= 0 || words == nullptr) return set_from_tokens(nullptr, n);
  std::vector<Token> tokens;
  tokens.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    tokens.emplace_back(words[i]);
  return set_from_tokens(tokens.data(), n);
}

Token TokenMessage::token_at(int index) const {
  if (index < 0 || index >= length()) return tok::END_OF_MESSAGE;
  return tokens_[static_cast<std::size_t>(index)];
}

void TokenMessage::assign_range(const Token* first, const Token* last) {
  tokens_.assign(first, last);
  tokens_.push_back(tok::END_OF_MESSAGE);
  recount();
}

void TokenMessage::recount() {
  starts_built_ = false;
  if (tokens_.empty()) {
    count_ = -1;
    return;
  }
  count_ = walk_elements(tokens_.data(), length(), [](int) {});
}

const std::vector<int>& TokenMessage::starts() const {
  if (!starts_built_) {
    starts_.clear();
    if (!tokens_.empty()) {
      starts_.reserve(static_cast<std::size_t>(count_) + 1);
      walk_elements(tokens_.data(), length(), [this](int i) { starts_.push_back(i); });
      starts_.push_back(length());
    }
    starts_built_ = true;
  }
  return starts_;
}

bool TokenMessage::valid_index(int index) const {
  return index >= 0 && index < count_ && static_cast<std::size_t>(index) + 1 < starts().size();
}

TokenMessage TokenMessage::sub_message(int index) const {
  TokenMessage result;
  if (!valid_index(index)) return result;
  const auto& s = starts();
  const int start = s[static_cast<std::size_t>(index)];
  int end = s[static_cast<std::size_t>(index) + 1];
  const Token* t = tokens_.data();
  if (t[start] != tok::BRA) return TokenMessage(t[start]);
  // Only a message joined from unbalanced pieces lacks the closing KET.
  if (end - start >= 2 && t[end - 1] == tok::KET) --end;
  result.assign_range(t + start + 1, t + end);
  return result;
}

int TokenMessage::sub_message_start(int index) const {
  if (!valid_index(index)) return -1;
  const int start = starts()[static_cast<std::size_t>(index)];
  return tokens_[static_cast<std::size_t>(start)] == tok::BRA ? start + 1 : start;
}

bool TokenMessage::sub_message_is_single_token(int index) const {
  if (!valid_index(index)) return false;
  return tokens_[static_cast<std::size_t>(starts()[static_cast<std::size_t>(index)])] != tok::BRA;
}

TokenMessage TokenMessage::enclose() const {
  TokenMessage result(*this);
  result.enclose_in_place();
  return result;
}

void TokenMessage::enclose_in_place() {
  if (tokens_.empty()) {
    tokens_ = {tok::BRA, tok::KET, tok::END_OF_MESSAGE};
  } else {
    tokens_.back() = tok::KET;
    tokens_.insert(tokens_.begin(), tok::BRA);
    tokens_.push_back(tok::END_OF_MESSAGE);
  }
  recount();
}

TokenMessage operator+(const TokenMessage& a, const TokenMessage& b) {
  if (a.is_empty()) return b;
  if (b.is_empty()) return a;
  TokenMessage result;
  result.tokens_.reserve(a.tokens_.size() + b.tokens_.size() - 1);
  result.tokens_.assign(a.tokens_.begin(), a.tokens_.end() - 1);
  result.tokens_.insert(result.tokens_.end(), b.tokens_.begin(), b.tokens_.end());
  result.recount();
  return result;
}

TokenMessage operator&(const TokenMessage& a, const TokenMessage& b) {
  if (a.is_empty()) return b.enclose();
  TokenMessage result;
  const std::size_t inner = b.is_empty() ? 0 : b.tokens_.size() - 1;
  result.tokens_.reserve(a.tokens_.size() + inner + 2);
  result.tokens_.assign(a.tokens_.begin(), a.tokens_.end() - 1);
  result.tokens_.push_back(tok::BRA);
  result.tokens_.insert(result.tokens_.end(), b.tokens_.begin(),
                        b.tokens_.begin() + static_cast<std::ptrdiff_t>(inner));
  result.tokens_.push_back(tok::KET);
  result.tokens_.push_back(tok::END_OF_MESSAGE);
  result.recount();
  return result;
}

bool operator==(const TokenMessage& a, const TokenMessage& b) {
  return !a.is_empty() && !b.is_empty() && a.tokens_ == b.tokens_;
}

bool TokenMessage::copy_out(Token* buffer, int capacity) const {
  if (tokens_.empty() || buffer == nullptr || capacity <= length()) return false;
  std::copy(tokens_.begin(), tokens_.end(), buffer);
  return true;
}

int TokenMessage::parse_text(std::string_view text) {
  return parse_text(text, TokenTextTable::standard());
}

namespace {

// The tokens of a printed message, and where each starts when starts is given: -1, or the
// character position of the first error.
int read_tokens(std::string_view text, const TokenTextTable& table, std::vector<Token>& parsed,
                std::vector<int>* starts) {
  const int size = static_cast<int>(text.size());
  auto take = [&](Token token, int at) {
    parsed.push_back(token);
    if (starts != nullptr) starts->push_back(at);
  };
  int depth = 0;
  int pos = 0;
  while (pos < size) {
    const char c = text[static_cast<std::size_t>(pos)];
    if (c == ' ') {
      ++pos;
    } else if (c == '(') {
      take(tok::BRA, pos);
      ++depth;
      ++pos;
    } else if (c == ')') {
      if (--depth < 0) return pos;
      take(tok::KET, pos);
      ++pos;
    } else if (c == '\'') {
      // A string right after another string continues it with an apostrophe, so a
      // doubled apostrophe inside quotes reads as one.
      if (!parsed.empty() && parsed.back().is_text()) take(Token::from_char('\''), pos);
      const std::size_t close = text.find('\'', static_cast<std::size_t>(pos) + 1);
      if (close == std::string_view::npos) return size;
      for (std::size_t i = static_cast<std::size_t>(pos) + 1; i < close; ++i) {
        take(Token::from_char(text[i]), static_cast<int>(i));
      }
      pos = static_cast<int>(close) + 1;
    } else if (is_letter(c)) {
      if (size - pos < 3) return pos;
      char word[3];
      for (int i = 0; i < 3; ++i)
        word[i] = to_upper(text[static_cast<std::size_t>(pos + i)]);
      const auto token = table.token_of(std::string_view(word, 3));
      if (!token) return pos;
      take(*token, pos);
      pos += 3;
    } else if (is_digit(c) || c == '-') {
      const int first = pos;
      const bool negative = c == '-';
      if (negative) ++pos;
      // Only the low 14 bits survive, so unsigned wrap-around loses nothing.
      std::uint32_t value = 0;
      while (pos < size && is_digit(text[static_cast<std::size_t>(pos)])) {
        value = value * 10u + static_cast<std::uint32_t>(text[static_cast<std::size_t>(pos)] - '0');
        ++pos;
      }
      if (negative) value = 0u - value;
      take(Token::from_number(static_cast<int>(value & 0x3FFFu)), first);
    } else {
      return pos;
    }
  }
  return depth != 0 ? size : -1;
}

}  // namespace

int TokenMessage::parse_text(std::string_view text, const TokenTextTable& table) {
  return parse(text, table, nullptr);
}

int TokenMessage::parse_text(std::string_view text, const TokenTextTable& table,
                             std::vector<int>& starts) {
  std::vector<int> found;
  const int fault = parse(text, table, &found);
  if (fault == -1) starts = std::move(found);
  return fault;
}

int TokenMessage::parse(std::string_view text, const TokenTextTable& table,
                        std::vector<int>* starts) {
  std::vector<Token> parsed;
  const int fault = read_tokens(text, table, parsed, starts);
  if (fault != -1) return fault;
  TokenMessage result;
  if (result.set_from_tokens(parsed.data(), static_cast<int>(parsed.size())) != -1)
    return static_cast<int>(text.size());
  *this = std::move(result);
  return -1;
}

std::string TokenMessage::to_text() const {
  return to_text(TokenTextTable::standard());
}

std::string TokenMessage::to_text(const TokenTextTable& table) const {
  std::string out;
  out.reserve(static_cast<std::size_t>(std::max(length(), 0)) * 4);
  bool in_string = false;
  for (int i = 0; i < length(); ++i) {
    const Token t = tokens_[static_cast<std::size_t>(i)];
    if (t.is_text()) {
      if (!in_string) out += '\'';
      in_string = true;
      out += static_cast<char>(t.subtoken());
      continue;
    }
    if (in_string) out += "' ";
    in_string = false;
    if (t.is_number()) {
      out += std::to_string(t.number());
      out += ' ';
    } else {
      table.append_text(t, out);
    }
  }
  if (in_string) out += "' ";
  return out;
}

std::string printed_text(const TokenMessage& message) {
  return printed_text(message, TokenTextTable::standard());
}

std::string printed_text(const TokenMessage& message, const TokenTextTable& table) {
  std::string text = message.to_text(table);
  if (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

TokenMessage error_marked(const TokenMessage& message, int position) {
  std::vector<Token> tokens;
  tokens.reserve(static_cast<std::size_t>(std::max(message.length(), 0)) + 1);
  for (int i = 0; i <= message.length(); ++i) {
    if (i == position) tokens.push_back(tok::ERR);
    if (i < message.length()) tokens.push_back(message.token_at(i));
  }
  TokenMessage marked;
  marked.set_from_tokens(tokens.data(), static_cast<int>(tokens.size()));
  return marked;
}

}  // namespace quorvel
