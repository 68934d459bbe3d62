#include "page/page_data.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <vector>

#include "base/json_text.h"
#include "page/board_drawing.h"
#include "protocol/tokens.h"

namespace quorvel::page {

using Json = nlohmann::json;
using savedgame::MapNames;
using savedgame::SavedGame;
using savedgame::SavedPhase;
using savedgame::TextOrder;

namespace {

// The colours people know the powers by; the powers of other maps take the rest in turn.
std::string colour(const std::string& power, int index) {
  static const std::map<std::string, std::string> known = {
      {"AUSTRIA", "#c8473f"}, {"ENGLAND", "#7b4fa3"}, {"FRANCE", "#3d9ad1"}, {"GERMANY", "#6b6b6b"},
      {"ITALY", "#3f9a4a"},   {"RUSSIA", "#f4f4f4"},  {"TURKEY", "#e8b430"}};
  static const char* const others[] = {"#d07c2e", "#2bb3a0", "#b0457e", "#8a9a2b", "#4a5fc1"};
  const auto found = known.find(power);
  return found != known.end() ? found->second : others[index % 5];
}

std::string title(const std::string& name) {
  if (name == "COMPLETED") return "The game has ended";
  if (name.size() < 3) return name;
  const std::string year = name.substr(1, name.size() - 2);
  const char season = name.front();
  const char phase = name.back();
  const std::string when = season == 'S' ? "Spring " : season == 'F' ? "Autumn " : "Winter ";
  const std::string what = phase == 'M' ? "movement" : phase == 'R' ? "retreats" : "adjustments";
  return when + year + ", " + what;
}

const char* kind_code(OrderKind kind) {
  switch (kind) {
    case OrderKind::kMove:
      return "M";
    case OrderKind::kConvoyedMove:
      return "V";
    case OrderKind::kSupportHold:
      return "S";
    case OrderKind::kSupportMove:
      return "SM";
    case OrderKind::kConvoy:
      return "C";
    case OrderKind::kRetreat:
      return "R";
    case OrderKind::kDisband:
    case OrderKind::kRemove:
      return "D";
    case OrderKind::kBuild:
      return "B";
    case OrderKind::kWaive:
      return "W";
    default:
      return "H";
  }
}

}  // namespace

std::string phase_data_text(const MapNames& names, const SavedPhase& phase) {
  // A few powers: looked up in a list.
  std::vector<std::string_view> power_names;
  for (int p = 0; p < names.map().power_count(); ++p) {
    if (names.map().has_power(p)) power_names.push_back(names.power(p));
  }
  auto index_of = [&](std::string_view power) {
    const auto found = std::find(power_names.begin(), power_names.end(), power);
    return found != power_names.end() ? static_cast<int>(found - power_names.begin()) : -1;
  };
  std::string out = "{\"n\": ";
  out.reserve(8192);
  append_json_string(out, phase.name);
  out += ", \"t\": ";
  append_json_string(out, title(phase.name));

  // Units as [power, "A", "PAR", dislodged], centres and land by who holds them.
  std::string units, owners, held, builds;
  units.reserve(2048);
  owners.reserve(1024);
  held.reserve(2048);
  for (const auto& [power, state] : phase.state.powers) {
    const std::string index = std::to_string(index_of(power));
    for (const std::string& text : state.units) {
      const bool dislodged = !text.empty() && text[0] == '*';
      const std::string_view unit = std::string_view(text).substr(dislodged ? 1 : 0);
      if (unit.size() < 3) continue;
      units += units.empty() ? "[" : ", [";
      units += index;
      units += ", ";
      append_json_string(units, unit.substr(0, 1));
      units += ", ";
      append_json_string(units, unit.substr(2));
      units += dislodged ? ", 1]" : ", 0]";
    }
    for (const std::string& centre : state.centers) {
      if (!owners.empty()) owners += ", ";
      append_json_string(owners, centre);
      owners += ": ";
      owners += index;
    }
    for (const std::string& province : state.influence) {
      if (!held.empty()) held += ", ";
      append_json_string(held, province);
      held += ": ";
      held += index;
    }
    if (!builds.empty()) builds += ", ";
    builds += std::to_string(state.builds);
  }
  out += ", \"u\": [";
  out += units;
  out += "], \"sc\": {";
  out += owners;
  out += "}, \"i\": {";
  out += held;
  out += "}, \"b\": [";
  out += builds;
  out += "]";

  // Orders as [power, kind, from, to, helped unit's place, result, text].
  std::vector<std::pair<std::string_view, std::string>> results;
  results.reserve(phase.results.size());
  for (const auto& [unit, words] : phase.results) {
    std::string joined;
    for (const std::string& word : words) {
      if (word.empty()) continue;
      if (!joined.empty()) joined += ", ";
      joined += word;
    }
    results.emplace_back(unit, std::move(joined));
  }
  auto result_of = [&](std::string_view unit) -> std::string_view {
    for (const auto& [name, joined] : results) {
      if (name == unit) return joined;
    }
    return {};
  };
  std::string orders;
  orders.reserve(4096);
  std::vector<std::string> ordered;
  auto add_order = [&](int power, const char* kind, std::string_view from, std::string_view to,
                       std::string_view other, std::string_view result, std::string_view text) {
    orders += orders.empty() ? "[" : ", [";
    orders += std::to_string(power);
    orders += ", ";
    append_json_string(orders, kind);
    for (const std::string_view field : {from, to, other, result, text}) {
      orders += ", ";
      append_json_string(orders, field);
    }
    orders += ']';
  };
  for (const auto& [power, texts] : phase.orders) {
    for (const std::string& text : texts) {
      const std::optional<TextOrder> order = savedgame::read_order(names, text);
      if (!order) continue;
      const bool waive = order->kind == OrderKind::kWaive;
      const std::string unit = waive ? "WAIVE" : names.unit(order->unit.type, order->unit.location);
      const std::string from = waive ? "" : names.location(order->unit.location);
      if (!waive) ordered.push_back(from);
      add_order(index_of(power), kind_code(order->kind), from,
                order->target ? names.location(*order->target) : "",
                order->other ? names.location(order->other->location) : "", result_of(unit), text);
    }
  }
  // Units the rules disbanded or removed without an order show as such.
  for (const auto& [unit, words] : phase.results) {
    const bool disbanded = std::find(words.begin(), words.end(), "disband") != words.end();
    if (!disbanded || unit.size() < 3) continue;
    const std::string_view place = std::string_view(unit).substr(2);
    if (std::find(ordered.begin(), ordered.end(), place) != ordered.end()) continue;
    add_order(-1, "D", place, "", "", result_of(unit), unit + " D");
  }
  out += ", \"o\": [";
  out += orders;
  out += "], \"m\": [";
  for (std::size_t i = 0; i < phase.messages.size(); ++i) {
    const savedgame::SavedMessage& message = phase.messages[i];
    out += i ? ", [" : "[";
    append_json_string(out, message.sender);
    out += ", ";
    append_json_string(out, message.recipient);
    out += ", ";
    append_json_string(out, message.message);
    out += ']';
  }
  out += "], \"note\": ";
  append_json_string(out, phase.state.note);
  out += '}';
  // Kept for every phase of a game: not at the room reserved for making it.
  out.shrink_to_fit();
  return out;
}

Json phase_data(const MapNames& names, const SavedPhase& phase) {
  return Json::parse(phase_data_text(names, phase));
}

Json page_data(const SavedGame& game, const rules::MapFile& map_file) {
  rules::RulesMap map;
  map.load(map_file.mdf);
  const MapNames names(map);
  Json data = page_head(game, names);
  data["phases"] = Json::array();
  for (const SavedPhase& phase : game.phases)
    data["phases"].push_back(phase_data(names, phase));
  data["board"] = board_drawing(names, map_file.places);
  return data;
}

Json page_head(const SavedGame& game, const MapNames& names) {
  const rules::RulesMap& map = names.map();
  Json powers = Json::array();
  for (int p = 0; p < map.power_count(); ++p) {
    if (!map.has_power(p)) continue;
    const std::string name = names.power(p);
    powers.push_back({{"name", name},
                      {"short", printed_text(TokenMessage(Token(CATEGORY_POWER, p)))},
                      {"colour", colour(name, static_cast<int>(powers.size()))}});
  }
  Json centres = Json::array();
  for (int p = 0; p < map.province_count(); ++p) {
    if (map.supply_centre(p)) centres.push_back(names.province(p));
  }
  return Json{{"id", game.id},
              {"map", game.map},
              {"rules", game.rules},
              {"powers", std::move(powers)},
              {"centres", std::move(centres)}};
}

}  // namespace quorvel::page
