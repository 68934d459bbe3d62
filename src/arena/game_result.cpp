#include "arena/game_result.h"

#include <sstream>

#include <nlohmann/json.hpp>

namespace quorvel::arena {

using nlohmann::ordered_json;

int GameResult::refused() const {
  int total = 0;
  for (const PowerResult& power : powers)
    total += power.refused;
  return total;
}

bool GameResult::failed() const {
  for (const PowerResult& power : powers) {
    if (power.failed()) return true;
  }
  return false;
}

std::string to_json_line(const GameResult& result) {
  ordered_json line;
  line["seed"] = result.seed;
  line["years"] = result.years;
  if (result.press_level > 0) line["press"] = result.press_level;
  line["result"] = result.solo() ? "solo" : "draw";
  line["winner"] = result.solo() ? ordered_json(result.winner) : ordered_json(nullptr);
  if (!result.drawn.empty()) line["draw"] = result.drawn;
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
      entry["press_refused"] = power.press_refused;
    }
    if (!power.program.empty()) {
      entry["program"] = power.program;
      if (power.failed()) entry["failed_in"] = power.failed_in;
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
    if (json.contains("draw")) result.drawn = json.at("draw").get<std::vector<std::string>>();
    for (const ordered_json& power : json.at("powers")) {
      result.powers.push_back(
          {power.at("power").get<std::string>(), power.at("player").get<std::string>(),
           power.at("centres").get<int>(), power.at("refused").get<int>(), power.value("press", 0),
           power.value("agreements", 0), power.value("broken", 0), power.value("press_refused", 0),
           power.value("program", ""), power.value("failed_in", "")});
    }
    return result;
  } catch (const ordered_json::exception&) {
    return std::nullopt;
  }
}

std::string results_to_wire(const std::vector<GameResult>& results) {
  ordered_json list = ordered_json::array();
  for (const GameResult& result : results) {
    ordered_json centres = ordered_json::array();
    for (const auto& [year, counts] : result.centres_by_year)
      centres.push_back({{"year", year}, {"counts", counts}});
    list.push_back({{"line", to_json_line(result)},
                    {"stalled", result.stalled},
                    {"phases", result.phases},
                    {"centres", centres},
                    {"learned", result.learned ? ordered_json(result.learned->to_text())
                                               : ordered_json(nullptr)}});
  }
  return list.dump();
}

std::optional<std::vector<GameResult>> results_from_wire(const std::string& text) {
  try {
    const ordered_json list = ordered_json::parse(text);
    std::vector<GameResult> results;
    for (const ordered_json& entry : list) {
      auto result = from_json_line(entry.at("line").get<std::string>());
      if (!result) return std::nullopt;
      result->stalled = entry.at("stalled").get<bool>();
      result->phases = entry.at("phases").get<int>();
      for (const ordered_json& year : entry.at("centres"))
        result->centres_by_year[year.at("year").get<int>()] =
            year.at("counts").get<std::vector<int>>();
      if (!entry.at("learned").is_null()) {
        std::istringstream ini(entry.at("learned").get<std::string>());
        IniStore learned;
        learned.loadFrom(ini);
        result->learned = std::move(learned);
      }
      results.push_back(std::move(*result));
    }
    return results;
  } catch (const ordered_json::exception&) {
    return std::nullopt;
  }
}

}  // namespace quorvel::arena
