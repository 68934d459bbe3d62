#include "page/board_page.h"

#include <string_view>
#include <vector>

#include "base/whole_file.h"
#include "page/board_drawing.h"
#include "page/board_page_template.h"
#include "page/page_data.h"

namespace quorvel::page {

namespace {

constexpr std::string_view kDataMark = "/*QUORVEL_GAME_DATA*/";

// JSON inside a script element: no '<', '>' or '&' may stand as such, or a text of the
// game could end the element; in JSON they only occur in strings, where escapes mean them.
void append_script_safe(std::string& out, std::string_view json) {
  std::size_t from = 0;
  for (std::size_t at = 0; at < json.size(); ++at) {
    const char c = json[at];
    if (c != '<' && c != '>' && c != '&') continue;
    out.append(json, from, at - from);
    out += c == '<' ? "\\u003c" : c == '>' ? "\\u003e" : "\\u0026";
    from = at + 1;
  }
  out.append(json, from, std::string_view::npos);
}

// The page around the data's JSON text, given in pieces, handed on in pieces of the page.
template <typename Out>
void page_around(const std::vector<std::string_view>& json, Out&& out) {
  const std::string_view page = board_page_template();
  const std::size_t mark = page.find(kDataMark);
  out(page.substr(0, mark));
  std::string safe;
  for (const std::string_view piece : json) {
    safe.clear();
    append_script_safe(safe, piece);
    out(safe);
  }
  out(page.substr(mark + kDataMark.size()));
}

std::string page_around(const std::vector<std::string_view>& json) {
  std::size_t size = board_page_template().size() + 1024;
  for (const std::string_view piece : json)
    size += piece.size();
  std::string page;
  page.reserve(size);
  page_around(json, [&page](std::string_view piece) { page += piece; });
  return page;
}

// The data's pieces: the head, the phases, the board.
std::vector<std::string_view> data_pieces(const std::string& head,
                                          const std::vector<std::string_view>& phases,
                                          const std::string& board) {
  std::vector<std::string_view> pieces{head};
  for (std::size_t i = 0; i < phases.size(); ++i) {
    if (i) pieces.push_back(", ");
    pieces.push_back(phases[i]);
  }
  pieces.push_back("], \"board\": ");
  pieces.push_back(board);
  pieces.push_back("}");
  return pieces;
}

// The head of the data, its phases to follow.
std::string data_head(const savedgame::MapNames& names, const savedgame::SavedGame& game,
                      bool live) {
  nlohmann::json head = page_head(game, names);
  head["live"] = live;
  std::string json = head.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  json.pop_back();
  return json + ", \"phases\": [";
}

// The page of the game from its phases' texts.
std::string page_of(const savedgame::MapNames& names, const savedgame::SavedGame& game,
                    const rules::MapFile& map_file, const std::vector<std::string_view>& phases,
                    bool live) {
  const std::string board = board_drawing_text(names, map_file.places);
  return page_around(data_pieces(data_head(names, game, live), phases, board));
}

}  // namespace

std::string board_page(nlohmann::json data, bool live) {
  data["live"] = live;
  return page_around({data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)});
}

std::string board_page(const savedgame::SavedGame& game, const rules::MapFile& map_file,
                       bool live) {
  rules::RulesMap map;
  map.load(map_file.mdf);
  const savedgame::MapNames names(map);
  std::vector<std::string> texts;
  texts.reserve(game.phases.size());
  for (const savedgame::SavedPhase& phase : game.phases)
    texts.push_back(phase_data_text(names, phase));
  return page_of(names, game, map_file, std::vector<std::string_view>(texts.begin(), texts.end()),
                 live);
}

std::string board_page(const savedgame::MapNames& names, const savedgame::SavedGame& game,
                       const rules::MapFile& map_file, const std::vector<std::string_view>& phases,
                       bool live) {
  return page_of(names, game, map_file, phases, live);
}

bool write_board_page(const std::string& path, const savedgame::SavedGame& game,
                      const rules::MapFile& map, std::string* error) {
  return write_whole_file(path, board_page(game, map), error);
}

bool write_board_page(const std::string& path, const savedgame::MapNames& names,
                      const savedgame::SavedGame& game, const rules::MapFile& map_file,
                      const std::vector<std::string_view>& phases, std::string* error) {
  const std::string board = board_drawing_text(names, map_file.places);
  WholeFile file(path);
  // Written as it is made: a page of a long game is never held whole.
  page_around(data_pieces(data_head(names, game, false), phases, board),
              [&file](std::string_view piece) { file.write(piece); });
  return file.commit(error);
}

}  // namespace quorvel::page
