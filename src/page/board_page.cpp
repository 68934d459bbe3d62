#include "page/board_page.h"

#include "base/whole_file.h"
#include "page/board_page_template.h"
#include "page/page_data.h"

namespace quorvel::page {

namespace {

constexpr std::string_view kDataMark = "/*QUORVEL_GAME_DATA*/";

// JSON inside a script element: no '<', '>' or '&' may stand as such, or a text of the
// game could end the element; in JSON they only occur in strings, where escapes mean them.
std::string script_safe(const std::string& json) {
  std::string out;
  out.reserve(json.size() + json.size() / 16);
  for (char c : json) {
    if (c == '<') {
      out += "\\u003c";
    } else if (c == '>') {
      out += "\\u003e";
    } else if (c == '&') {
      out += "\\u0026";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string board_page(nlohmann::json data, bool live) {
  data["live"] = live;
  const std::string_view page = board_page_template();
  const std::size_t mark = page.find(kDataMark);
  std::string out(page.substr(0, mark));
  out += script_safe(data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  out += page.substr(mark + kDataMark.size());
  return out;
}

std::string board_page(const savedgame::SavedGame& game, const rules::MapFile& map, bool live) {
  return board_page(page_data(game, map), live);
}

bool write_board_page(const std::string& path, const savedgame::SavedGame& game,
                      const rules::MapFile& map, std::string* error) {
  return write_whole_file(path, board_page(game, map), error);
}

}  // namespace quorvel::page
