#include "savedgame/saved_game_json.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <stdexcept>

#include "base/json_text.h"
#include "protocol/tokens.h"
#include "rules/rules_map.h"
#include "savedgame/known_maps.h"
#include "savedgame/order_text.h"

namespace quorvel::savedgame {

using namespace tok;

using Json = nlohmann::ordered_json;

namespace {

void append_key(std::string& out, std::string_view key) {
  append_json_string(out, key);
  out += ": ";
}

// {"POWER": value, ...} for each power of the phase's state.
template <typename Write>
void append_per_power(std::string& out, const PhaseState& state, Write write) {
  out += '{';
  for (std::size_t i = 0; i < state.powers.size(); ++i) {
    if (i) out += ", ";
    append_key(out, state.powers[i].first);
    write(state.powers[i].second);
  }
  out += '}';
}

void append_by_name(std::string& out, const ByName<std::vector<std::string>>& entries) {
  out += '{';
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i) out += ", ";
    append_key(out, entries[i].first);
    append_json_strings(out, entries[i].second);
  }
  out += '}';
}

void append_state(std::string& out, const SavedGame& game, const SavedPhase& phase) {
  const PhaseState& state = phase.state;
  out += "{\"timestamp\": " + std::to_string(state.timestamp) + ", \"zobrist_hash\": ";
  append_json_string(out, state.zobrist_hash);
  out += ", \"note\": ";
  append_json_string(out, state.note);
  out += ", \"name\": ";
  append_json_string(out, phase.name);
  auto texts = [&out](const std::vector<std::string>& list) { append_json_strings(out, list); };
  out += ", \"units\": ";
  append_per_power(out, state, [&](const PowerState& p) { texts(p.units); });
  out += ", \"retreats\": ";
  append_per_power(out, state, [&](const PowerState& p) { append_by_name(out, p.retreats); });
  out += ", \"centers\": ";
  append_per_power(out, state, [&](const PowerState& p) { texts(p.centers); });
  out += ", \"homes\": ";
  append_per_power(out, state, [&](const PowerState& p) { texts(p.homes); });
  out += ", \"influence\": ";
  append_per_power(out, state, [&](const PowerState& p) { texts(p.influence); });
  out += ", \"civil_disorder\": ";
  append_per_power(out, state,
                   [&](const PowerState& p) { out += std::to_string(p.civil_disorder); });
  out += ", \"builds\": ";
  append_per_power(out, state, [&](const PowerState& p) {
    out += "{\"count\": " + std::to_string(p.builds) + ", \"homes\": ";
    texts(p.build_homes);
    out += '}';
  });
  out += ", \"game_id\": ";
  append_json_string(out, game.id);
  out += ", \"map\": ";
  append_json_string(out, game.map);
  out += ", \"rules\": ";
  texts(game.rules);
  out += '}';
}

}  // namespace

std::string saved_phase_json(const SavedGame& game, const SavedPhase& phase) {
  std::string out = "{\"name\": ";
  out.reserve(4096);
  append_json_string(out, phase.name);
  out += ", \"state\": ";
  append_state(out, game, phase);
  out += ", \"orders\": ";
  append_by_name(out, phase.orders);
  out += ", \"results\": ";
  append_by_name(out, phase.results);
  out += ", \"messages\": [";
  for (std::size_t i = 0; i < phase.messages.size(); ++i) {
    const SavedMessage& m = phase.messages[i];
    out += i ? ", {\"sender\": " : "{\"sender\": ";
    append_json_string(out, m.sender);
    out += ", \"recipient\": ";
    append_json_string(out, m.recipient);
    out += ", \"time_sent\": " + std::to_string(m.time_sent) + ", \"phase\": ";
    append_json_string(out, m.phase);
    out += ", \"message\": ";
    append_json_string(out, m.message);
    out += '}';
  }
  return out + "]}";
}

std::string saved_game_json(const SavedGame& game, const std::vector<std::string_view>& phases) {
  std::string json = "{\"id\": ";
  append_json_string(json, game.id);
  json += ", \"map\": ";
  append_json_string(json, game.map);
  json += ", \"rules\": ";
  append_json_strings(json, game.rules);
  json += ", \"phases\": [";
  std::size_t size = json.size() + 2;
  for (const std::string_view phase : phases)
    size += phase.size() + 2;
  json.reserve(size);
  for (std::size_t i = 0; i < phases.size(); ++i) {
    if (i) json += ", ";
    json += phases[i];
  }
  json += "]}";
  return json;
}

std::string saved_game_json(const SavedGame& game) {
  std::vector<std::string> phases;
  for (const SavedPhase& phase : game.phases)
    phases.push_back(saved_phase_json(game, phase));
  return saved_game_json(game, std::vector<std::string_view>(phases.begin(), phases.end()));
}

namespace {

// A field that is missing or not what the format holds: the field's path and what is
// wrong. Thrown from inside the parse, caught where the game is read.
struct FieldError : std::runtime_error {
  FieldError(std::string field, const std::string& what)
      : std::runtime_error(what), field(std::move(field)) {}
  std::string field;
  std::string phase;
};

const Json& member(const Json& object, const std::string& key, const std::string& path) {
  if (!object.is_object()) throw FieldError(path, "is not an object");
  const auto found = object.find(key);
  if (found == object.end()) throw FieldError(path.empty() ? key : path + "." + key, "is missing");
  return *found;
}

std::string text(const Json& value, const std::string& path) {
  if (!value.is_string()) throw FieldError(path, "is not a string");
  return value.get<std::string>();
}

std::int64_t number(const Json& value, const std::string& path) {
  if (!value.is_number_integer()) throw FieldError(path, "is not a whole number");
  return value.get<std::int64_t>();
}

// A list of texts; the engine writes null for the orders of its last phase.
std::vector<std::string> texts(const Json& value, const std::string& path) {
  std::vector<std::string> out;
  if (value.is_null()) return out;
  if (!value.is_array()) throw FieldError(path, "is not a list");
  for (std::size_t i = 0; i < value.size(); ++i)
    out.push_back(text(value[i], path + "[" + std::to_string(i) + "]"));
  return out;
}

template <typename Read>
auto entries(const Json& value, const std::string& path, Read read) {
  ByName<decltype(read(value, path))> out;
  if (value.is_null()) return out;
  if (!value.is_object()) throw FieldError(path, "is not an object");
  for (const auto& [key, entry] : value.items())
    out.emplace_back(key, read(entry, path + "." + key));
  return out;
}

PhaseState read_state(const Json& json) {
  PhaseState state;
  if (!json.is_object()) throw FieldError("state", "is not an object");
  if (json.contains("note")) state.note = text(json["note"], "state.note");
  if (json.contains("timestamp")) state.timestamp = number(json["timestamp"], "state.timestamp");
  if (json.contains("zobrist_hash") && json["zobrist_hash"].is_string())
    state.zobrist_hash = json["zobrist_hash"].get<std::string>();
  const Json& units = member(json, "units", "state");
  if (!units.is_object()) throw FieldError("state.units", "is not an object");
  for (const auto& [power, list] : units.items()) {
    PowerState entry;
    entry.units = texts(list, "state.units." + power);
    state.powers.emplace_back(power, std::move(entry));
  }
  auto each_power = [&](const char* field, auto read) {
    if (!json.contains(field)) return;
    const std::string path = std::string("state.") + field;
    const Json& value = json[field];
    if (!value.is_object()) throw FieldError(path, "is not an object");
    for (auto& [power, entry] : state.powers) {
      const auto found = value.find(power);
      if (found != value.end()) read(entry, *found, path + "." + power);
    }
    for (const auto& item : value.items()) {
      const std::string& power = item.key();
      const bool known = std::any_of(state.powers.begin(), state.powers.end(),
                                     [&](const auto& entry) { return entry.first == power; });
      if (!known) throw FieldError(path + "." + power, "names a power without units entry");
    }
  };
  each_power("centers", [](PowerState& p, const Json& v, const std::string& path) {
    p.centers = texts(v, path);
  });
  each_power("homes", [](PowerState& p, const Json& v, const std::string& path) {
    p.homes = texts(v, path);
  });
  each_power("influence", [](PowerState& p, const Json& v, const std::string& path) {
    p.influence = texts(v, path);
  });
  each_power("retreats", [](PowerState& p, const Json& v, const std::string& path) {
    p.retreats = entries(v, path, texts);
  });
  each_power("civil_disorder", [](PowerState& p, const Json& v, const std::string& path) {
    p.civil_disorder = static_cast<int>(number(v, path));
  });
  each_power("builds", [](PowerState& p, const Json& v, const std::string& path) {
    p.builds = static_cast<int>(number(member(v, "count", path), path + ".count"));
    if (v.contains("homes")) p.build_homes = texts(v["homes"], path + ".homes");
  });
  return state;
}

SavedPhase read_phase(const Json& json) {
  SavedPhase phase;
  if (!json.is_object()) throw FieldError("", "a phase is not an object");
  phase.name = text(member(json, "name", ""), "name");
  try {
    phase.state = read_state(member(json, "state", ""));
    if (json.contains("orders")) phase.orders = entries(json["orders"], "orders", texts);
    if (json.contains("results")) phase.results = entries(json["results"], "results", texts);
    if (json.contains("messages") && !json["messages"].is_null()) {
      const Json& messages = json["messages"];
      if (!messages.is_array()) throw FieldError("messages", "is not a list");
      for (std::size_t i = 0; i < messages.size(); ++i) {
        const std::string path = "messages[" + std::to_string(i) + "]";
        const Json& m = messages[i];
        phase.messages.push_back(
            SavedMessage{text(member(m, "sender", path), path + ".sender"),
                         text(member(m, "recipient", path), path + ".recipient"),
                         number(member(m, "time_sent", path), path + ".time_sent"),
                         m.contains("phase") ? text(m["phase"], path + ".phase") : phase.name,
                         text(member(m, "message", path), path + ".message")});
      }
    }
  } catch (FieldError& error) {
    error.phase = phase.name;
    throw;
  }
  return phase;
}

// Every name of a phase on its map: powers, places, units and orders.
void check_phase(const SavedPhase& phase, const MapNames& names) {
  static const std::regex kPhaseName("[SFW][0-9]{1,5}[MRA]|COMPLETED");
  auto fault = [](const SavedPhase& phase, const std::string& field, const std::string& what) {
    FieldError error(field, what);
    error.phase = phase.name;
    return error;
  };
  auto check_power = [&](const SavedPhase& phase, const std::string& power,
                         const std::string& field) {
    if (names.power(power) < 0) throw fault(phase, field, "'" + power + "' is no power of the map");
  };
  auto check_province = [&](const SavedPhase& phase, const std::string& province,
                            const std::string& field) {
    if (!names.location(province, FLT))
      throw fault(phase, field, "'" + province + "' is no place of the map");
  };
  auto check_unit = [&](const SavedPhase& phase, std::string unit, const std::string& field) {
    if (!unit.empty() && unit[0] == '*') unit.erase(0, 1);
    std::string why;
    if (!read_unit(names, unit, &why))
      throw fault(phase, field,
                  "'" + unit + "' is no unit on the map" + (why.empty() ? "" : ": " + why));
  };
  {
    if (!std::regex_match(phase.name, kPhaseName))
      throw fault(phase, "name", "'" + phase.name + "' is no phase name");
    for (const auto& [power, state] : phase.state.powers) {
      check_power(phase, power, "state.units." + power);
      for (std::size_t i = 0; i < state.units.size(); ++i)
        check_unit(phase, state.units[i], "state.units." + power + "[" + std::to_string(i) + "]");
      auto places = [&](const std::vector<std::string>& list, const std::string& field) {
        for (std::size_t i = 0; i < list.size(); ++i)
          check_province(phase, list[i], field + "[" + std::to_string(i) + "]");
      };
      places(state.centers, "state.centers." + power);
      places(state.homes, "state.homes." + power);
      places(state.influence, "state.influence." + power);
      places(state.build_homes, "state.builds." + power + ".homes");
      for (const auto& [unit, to] : state.retreats) {
        check_unit(phase, unit, "state.retreats." + power);
        places(to, "state.retreats." + power + "." + unit);
      }
    }
    for (const auto& [power, orders] : phase.orders) {
      check_power(phase, power, "orders." + power);
      for (std::size_t i = 0; i < orders.size(); ++i) {
        std::string why;
        if (!read_order(names, orders[i], &why))
          throw fault(phase, "orders." + power + "[" + std::to_string(i) + "]",
                      "'" + orders[i] + "' does not read: " + why);
      }
    }
    for (const auto& [unit, words] : phase.results) {
      if (unit != "WAIVE") check_unit(phase, unit, "results." + unit);
    }
    for (std::size_t i = 0; i < phase.messages.size(); ++i) {
      const SavedMessage& m = phase.messages[i];
      const std::string field = "messages[" + std::to_string(i) + "]";
      if (m.sender != "SYSTEM") check_power(phase, m.sender, field + ".sender");
      if (m.recipient != "GLOBAL" && m.recipient != "SYSTEM")
        check_power(phase, m.recipient, field + ".recipient");
    }
  }
}

std::string place_text(const std::string& source, int line, const FieldError& error) {
  std::string where = source + (line > 0 ? ":" + std::to_string(line) : "") + ": ";
  if (!error.phase.empty()) where += "phase " + error.phase + (error.field.empty() ? "" : ", ");
  if (!error.field.empty()) where += error.field + " ";
  return where + error.what();
}

// The line of a byte of the text, from 1.
int line_of(std::string_view text, std::size_t byte) {
  byte = std::min(byte, text.size());
  return 1 +
         static_cast<int>(std::count(text.begin(), text.begin() + static_cast<long>(byte), '\n'));
}

// The same for a file too large to hold, read again in pieces.
int line_in_file(const std::string& path, std::size_t byte) {
  std::ifstream in(path, std::ios::binary);
  char piece[1 << 16];
  int line = 1;
  while (byte > 0) {
    in.read(piece, static_cast<std::streamsize>(std::min(byte, sizeof piece)));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    line += static_cast<int>(std::count(piece, piece + got, '\n'));
    byte -= got;
  }
  return line;
}

// The game's map, loaded when first needed: by the first phase when it follows the map's
// name in the file (so that phases are checked and handed on as they are read), else at
// the end.
struct GameMap {
  std::optional<rules::MapFile> file;
  std::unique_ptr<rules::RulesMap> map;
  std::unique_ptr<MapNames> names;

  void load(const std::string& name, const std::vector<std::string>& map_folders) {
    if (names) return;
    file = known_map(name, map_folders);
    if (!file) throw FieldError("map", "'" + name + "' is no map known here");
    map = std::make_unique<rules::RulesMap>();
    if (map->load(file->mdf) >= 0) throw FieldError("map", "'" + name + "' does not load");
    names = std::make_unique<MapNames>(*map);
  }
};

// Parses one game, its phases taken in one by one (the parse keeps none of them); with a
// sink, each checked phase goes there instead of into the game.
template <typename Input>
SavedGameReading parse_game(Input&& input, const std::string& source, int first_line,
                            const std::function<int(std::size_t)>& line_at,
                            const std::vector<std::string>& map_folders, const PhaseSink* sink) {
  SavedGameReading reading;
  SavedGame game;
  GameMap map;
  std::optional<std::string> map_name;
  std::size_t phases = 0;
  std::string key;
  auto take = [&](int depth, Json::parse_event_t event, Json& parsed) {
    if (depth == 1 && event == Json::parse_event_t::key) key = parsed.get<std::string>();
    if (depth == 1 && event == Json::parse_event_t::value && key == "map" && parsed.is_string())
      map_name = parsed.get<std::string>();
    if (depth == 2 && key == "phases" && event == Json::parse_event_t::object_end) {
      SavedPhase phase = read_phase(parsed);
      ++phases;
      if (sink && map_name) {
        map.load(*map_name, map_folders);
        check_phase(phase, *map.names);
        (*sink)(std::move(phase), *map.file);
      } else {
        game.phases.push_back(std::move(phase));
      }
      return false;
    }
    return true;
  };
  try {
    Json top = Json::parse(std::forward<Input>(input), take);
    if (!top.is_object()) throw FieldError("", "the game is not a JSON object");
    if (top.contains("id") && top["id"].is_string()) game.id = top["id"].get<std::string>();
    game.map = text(member(top, "map", ""), "map");
    if (top.contains("rules")) game.rules = texts(top["rules"], "rules");
    member(top, "phases", "");
    if (phases == 0) throw FieldError("phases", "holds no phase");
    map.load(game.map, map_folders);
    for (const SavedPhase& phase : game.phases)
      check_phase(phase, *map.names);
    if (sink) {
      for (SavedPhase& phase : game.phases)
        (*sink)(std::move(phase), *map.file);
      game.phases.clear();
    }
    reading.map = std::move(map.file);
    reading.game = std::move(game);
  } catch (const Json::parse_error& error) {
    const int line = line_at(error.byte);
    std::string what = error.what();
    // The library's own prefix says nothing a reader needs.
    const std::size_t detail = what.find(": ");
    if (detail != std::string::npos) what = what.substr(detail + 2);
    reading.error = source + ":" + std::to_string(line) + ": not JSON: " + what;
  } catch (const Json::exception& error) {
    reading.error = source + ":" + std::to_string(first_line) + ": " + error.what();
  } catch (const FieldError& error) {
    reading.error = place_text(source, first_line, error);
  }
  return reading;
}

// The characters of a stream up to the end of its line, for the parser: a game of a JSON
// Lines file is parsed from the file, never held as a line.
class LineChars {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = char;

  LineChars() = default;  // the end of the line
  explicit LineChars(std::streambuf* buffer) : buffer_(buffer) {}
  char operator*() const { return static_cast<char>(buffer_->sgetc()); }
  LineChars& operator++() {
    buffer_->sbumpc();
    return *this;
  }
  LineChars operator++(int) {
    LineChars before = *this;
    ++*this;
    return before;
  }
  bool operator==(const LineChars& other) const { return at_end() == other.at_end(); }
  bool operator!=(const LineChars& other) const { return !(*this == other); }

 private:
  bool at_end() const {
    if (buffer_ == nullptr) return true;
    const int c = buffer_->sgetc();
    return c == std::char_traits<char>::eof() || c == '\n';
  }
  std::streambuf* buffer_ = nullptr;
};

// The rest of a stream's line as a range of characters the parser takes.
struct StreamLine {
  std::streambuf* buffer;
};
LineChars begin(const StreamLine& line) {
  return LineChars(line.buffer);
}
LineChars end(const StreamLine&) {
  return LineChars();
}

// Skips blank lines: true at the first character of the next line with text, counting the
// lines passed; false at the end of the file.
bool skip_blank_lines(std::streambuf& buffer, int& line) {
  for (int c = buffer.sgetc(); c != std::char_traits<char>::eof(); c = buffer.snextc()) {
    if (c == '\n') {
      ++line;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      return true;
    }
  }
  return false;
}

// Skips the rest of the line and its end.
void skip_line(std::streambuf& buffer, int& line) {
  for (int c = buffer.sgetc(); c != std::char_traits<char>::eof(); c = buffer.snextc()) {
    if (c == '\n') {
      buffer.sbumpc();
      ++line;
      return;
    }
  }
}

}  // namespace

SavedGameReading read_saved_game_text(std::string_view text, const std::string& source,
                                      const std::vector<std::string>& map_folders) {
  return parse_game(
      text, source, 1, [&](std::size_t byte) { return line_of(text, byte); }, map_folders, nullptr);
}

SavedGameReading read_saved_game(const std::string& path, int number,
                                 const std::vector<std::string>& map_folders,
                                 const PhaseSink& sink) {
  const PhaseSink* to = sink ? &sink : nullptr;
  SavedGameReading failed;
  if (number < 1) {
    failed.error = path + ": game " + std::to_string(number) + ": games count from 1";
    return failed;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    failed.error = path + ": cannot be opened";
    return failed;
  }
  std::streambuf& buffer = *in.rdbuf();
  // JSON Lines when the first line holds a whole game; else the file is one game, however
  // its lines run.
  int line = 1;
  if (!skip_blank_lines(buffer, line)) {
    failed.error = path + ": holds no game";
    return failed;
  }
  const std::streampos first = buffer.pubseekoff(0, std::ios::cur, std::ios::in);
  if (!Json::accept(StreamLine{&buffer})) {
    if (number != 1) {
      failed.error = path + ": holds one game, not " + std::to_string(number);
      return failed;
    }
    buffer.pubseekpos(0, std::ios::in);
    return parse_game(
        in, path, 1, [&](std::size_t byte) { return line_in_file(path, byte); }, map_folders, to);
  }
  buffer.pubseekpos(first, std::ios::in);
  for (int game = 1; game < number; ++game) {
    skip_line(buffer, line);
    if (!skip_blank_lines(buffer, line)) {
      failed.error = path + ": holds " + std::to_string(game) + " game" + (game == 1 ? "" : "s") +
                     ", not " + std::to_string(number);
      return failed;
    }
  }
  return parse_game(
      StreamLine{&buffer}, path, line, [line](std::size_t) { return line; }, map_folders, to);
}

}  // namespace quorvel::savedgame
