#include "page/board_page.h"

#include "base/whole_file.h"
#include "page/board_drawing.h"
#include "page/board_page_template.h"
#include "page/page_data.h"

namespace quorvel::page {

namespace {

constexpr std::string_view kDataMark = "/*QUORVEL_GAME_DATA*/";

// JSON inside a script element: no '<', '>' or '&' may stand as such, or a text of the
// game could end the element; in JSON they only occur in strings, where escapes mean them.
std::string script_safe(const std::string& json) {
  std::string out;
  out.reserve(json.size() + 64);
  std::size_t from = 0;
  for (std::size_t at = json.find_first_of("<>&"); at != std::string::npos;
       at = json.find_first_of("<>&", from)) {
    out.append(json, from, at - from);
    out += json[at] == '<' ? "\\u003c" : json[at] == '>' ? "\\u003e" : "\\u0026";
    from = at + 1;
  }
  out.append(json, from, std::string::npos);
  return out;
}

// The page around the data's JSON text.
std::string page_around(const std::string& json) {
  const std::string_view page = board_page_template();
  const std::size_t mark = page.find(kDataMark);
  std::string out(page.substr(0, mark));
  out += script_safe(json);
  out += page.substr(mark + kDataMark.size());
  return out;
}

}  // namespace

std::string board_page(nlohmann::json data, bool live) {
  data["live"] = live;
  return page_around(data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string board_page(const savedgame::SavedGame& game, const rules::MapFile& map_file,
                       bool live) {
  rules::RulesMap map;
  map.load(map_file.mdf);
  const savedgame::MapNames names(map);
  nlohmann::json head = page_head(game, names);
  head["live"] = live;
  std::string json = head.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  json.pop_back();
  json += ", \"phases\": [";
  for (std::size_t i = 0; i < game.phases.size(); ++i)
    json += (i ? ", " : "") + phase_data_text(names, game.phases[i]);
  return page_around(json + "], \"board\": " + board_drawing_text(names, map_file.places) + "}");
}

bool write_board_page(const std::string& path, const savedgame::SavedGame& game,
                      const rules::MapFile& map, std::string* error) {
  return write_whole_file(path, board_page(game, map), error);
}

}  // namespace quorvel::page
