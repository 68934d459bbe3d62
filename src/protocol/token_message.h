#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/token.h"

namespace quorvel {

class TokenTextTable;

// One DAIDE message, or a piece of one: tokens in which BRA and KET nest.
//
// An empty message (no tokens at all, length -1) differs from a message of zero tokens
// (length 0, count 0), which is for example the inside of BRA KET.
class TokenMessage {
 public:
  TokenMessage() = default;
  // A one-token message. Implicit, so that tokens join messages with + and &.
  TokenMessage(Token token);  // NOLINT(google-explicit-constructor)

  // Answers -1 on success; the index after a KET that closes no bracket; or n when
  // brackets are still open at the end. On failure the message is left empty.
  int set_from_tokens(const Token* tokens, int n);
  // The same from raw 16-bit words in host order, as a server link delivers them.
  int set_from_words(const std::uint16_t* words, int n);

  int length() const { return static_cast<int>(tokens_.size()) - 1; }
  bool is_empty() const { return tokens_.empty(); }
  bool is_single_token() const { return length() == 1; }
  // The caller checks first that the message is not empty.
  Token first_token() const { return token_at(0); }
  // The end marker for any index outside the message.
  Token token_at(int index) const;
  // The tokens followed by the end marker; nullptr when empty.
  const Token* data() const { return tokens_.empty() ? nullptr : tokens_.data(); }

  int sub_message_count() const { return count_ < 0 ? 0 : count_; }
  // A bracketed element gives its inside; an index outside gives an empty message.
  TokenMessage sub_message(int index) const;
  // Where element index's content starts within this message; -1 for an index outside.
  int sub_message_start(int index) const;
  bool sub_message_is_single_token(int index) const;

  TokenMessage enclose() const;
  void enclose_in_place();

  friend TokenMessage operator+(const TokenMessage& a, const TokenMessage& b);
  friend TokenMessage operator&(const TokenMessage& a, const TokenMessage& b);
  friend bool operator==(const TokenMessage& a, const TokenMessage& b);

  // Copies the tokens and the end marker when capacity (in tokens) exceeds the length.
  bool copy_out(Token* buffer, int capacity) const;

  // Answers -1, or the character position of the first error; after an error the
  // message keeps what it held before.
  // Both read token texts from the standard table, or from the table given (a bot's,
  // which the server's representation message may have changed).
  int parse_text(std::string_view text);
  int parse_text(std::string_view text, const TokenTextTable& table);
  // The same, and when it succeeds the character position each token starts at.
  int parse_text(std::string_view text, const TokenTextTable& table, std::vector<int>& starts);
  std::string to_text() const;
  std::string to_text(const TokenTextTable& table) const;

 private:
  int parse(std::string_view text, const TokenTextTable& table, std::vector<int>* starts);
  // Counts top-level elements and resets the sub-message cache.
  void recount();
  // Element boundaries, built on first sub-message access.
  const std::vector<int>& starts() const;
  bool valid_index(int index) const;
  void assign_range(const Token* first, const Token* last);

  std::vector<Token> tokens_;  // length + 1 tokens, the end marker last; empty when empty
  int count_ = -1;
  mutable std::vector<int> starts_;
  mutable bool starts_built_ = false;
};

// Declared at namespace scope as well, so that two tokens join into a message.
// a + b concatenates; a & b appends b as one bracketed element.
TokenMessage operator+(const TokenMessage& a, const TokenMessage& b);
TokenMessage operator&(const TokenMessage& a, const TokenMessage& b);
// Two empty messages are not equal.
bool operator==(const TokenMessage& a, const TokenMessage& b);

// The message with ERR before the token at position (after the last one when position is
// the length), as HUH shows where understanding stopped.
TokenMessage error_marked(const TokenMessage& message, int position);

// to_text without its trailing space: a message, or a name, on a line of its own.
std::string printed_text(const TokenMessage& message);
std::string printed_text(const TokenMessage& message, const TokenTextTable& table);

}  // namespace quorvel
