#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// JSON written straight into text, for the files written many times a game, where building
// a document first costs more than the game itself. Reading goes through the JSON library.

// The text as a JSON string: quoted, escaped, and bytes that are no UTF-8 replaced by
// U+FFFD, so that the file stays valid whatever a name or a message holds.
void append_json_string(std::string& out, std::string_view text);
// ["A", "B"]
void append_json_strings(std::string& out, const std::vector<std::string>& texts);

}  // namespace quorvel
