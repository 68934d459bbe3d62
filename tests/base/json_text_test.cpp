#include "base/json_text.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace quorvel {
namespace {

// Whatever a name or a message holds, the text written is JSON that reads back to it, with
// bytes that are no UTF-8 replaced.
TEST(JsonText, AnyTextIsWrittenAsAStringThatReadsBack) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain", "plain"},
      {"say \"hi\" \\ back", "say \"hi\" \\ back"},
      {"line\nbreak\ttab\r", "line\nbreak\ttab\r"},
      {std::string("nul\0bell\x07", 9), std::string("nul\0bell\x07", 9)},
      {"</script><script>", "</script><script>"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB2", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB2"},
      {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
      {"cut \xE2\x82", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"overlong \xC0\xAF", "overlong \xEF\xBF\xBD\xEF\xBF\xBD"},
      {"surrogate \xED\xA0\x80", "surrogate \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& [text, read] : cases) {
    std::string out;
    append_json_string(out, text);
    EXPECT_EQ(nlohmann::json::parse(out).get<std::string>(), read) << out;
  }
  std::string list;
  append_json_strings(list, {"A PAR", "F STP/SC"});
  EXPECT_EQ(list, R"(["A PAR", "F STP/SC"])");
}

}  // namespace
}  // namespace quorvel
