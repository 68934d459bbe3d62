#include "arena/game_result.h"

#include <nlohmann/json.hpp>

namespace quorvel::arena {

using nlohmann::ordered_json;

int GameResult::refused() const {
  int total = 0;
  for (const PowerResult& power : powers)
    total += power.refused;
  return total;
}

std::string to_json_line(const GameResult& result) {
  ordered_json line;
  line["seed"] = result.seed;
  line["years"] = result.years;
  if (result.press_level > 0) line["press"] = result.press_level;
  line["result"] = result.solo() ? "solo" : "draw";
  line["winner"] = result.solo() ? ordered_json(result.winner) : ordered_json(nullptr);
  line["refused"] = result.refused();
  ordered_json powers = ordered_json::array();
  for (const PowerResult& power : result.powers) {
    ordered_json entry = {{"power", power.power},
                          {"player", power.player},
                          {"centres", power.centres},
                          {"refused", power.refused}};
    if (result.press_level > 0) {
      entry["press"] = power.press;
      entry["agreements"] = power.agreements;
      entry["broken"] = power.broken;
    }
    powers.push_back(std::move(entry));
  }
  line["powers"] = powers;
  // One line, a blank after each separator, as people write it.
  std::string text = line.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
  std::string spaced;
  bool in_string = false;
  bool escaped = false;
  for (const char c : text) {
    spaced += c;
    if (escaped) {
      escaped = false;
    } else if (in_string && c == '\\') {
      escaped = true;
    } else if (c == '"') {
      in_string = !in_string;
    } else if (!in_string && (c == ':' || c == ',')) {
      spaced += ' ';
    }
  }
  return spaced;
}

std::optional<GameResult> from_json_line(const std::string& line) {
  const ordered_json json = ordered_json::parse(line, nullptr, false);
  if (json.is_discarded() || !json.is_object()) return std::nullopt;
  try {
    GameResult result;
    result.seed = json.at("seed").get<std::uint64_t>();
    result.years = json.at("years").get<int>();
    result.press_level = json.value("press", 0);
    if (!json.at("winner").is_null()) result.winner = json.at("winner").get<std::string>();
    for (const ordered_json& power : json.at("powers")) {
      result.powers.push_back(
          {power.at("power").get<std::string>(), power.at("player").get<std::string>(),
           power.at("centres").get<int>(), power.at("refused").get<int>(), power.value("press", 0),
           power.value("agreements", 0), power.value("broken", 0)});
    }
    return result;
  } catch (const ordered_json::exception&) {
    return std::nullopt;
  }
}

}  // namespace quorvel::arena
