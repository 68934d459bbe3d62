#include "page/page_data.h"

#include <algorithm>
#include <map>
#include <set>

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
  std::map<std::string, int> power_index;
  for (int p = 0, i = 0; p < names.map().power_count(); ++p) {
    if (names.map().has_power(p)) power_index[names.power(p)] = i++;
  }
  auto index_of = [&](const std::string& power) {
    const auto found = power_index.find(power);
    return found != power_index.end() ? found->second : -1;
  };
  std::string out = "{\"n\": ";
  out.reserve(4096);
  append_json_string(out, phase.name);
  out += ", \"t\": ";
  append_json_string(out, title(phase.name));

  // Units as [power, "A", "PAR", dislodged], centres and land by who holds them.
  std::string units, owners, held, builds;
  for (const auto& [power, state] : phase.state.powers) {
    const std::string index = std::to_string(index_of(power));
    for (const std::string& text : state.units) {
      const bool dislodged = !text.empty() && text[0] == '*';
      const std::string unit = dislodged ? text.substr(1) : text;
      if (unit.size() < 3) continue;
      units += units.empty() ? "[" : ", [";
      units += index + ", ";
      append_json_string(units, unit.substr(0, 1));
      units += ", ";
      append_json_string(units, unit.substr(2));
      units += dislodged ? ", 1]" : ", 0]";
    }
    for (const std::string& centre : state.centers) {
      if (!owners.empty()) owners += ", ";
      append_json_string(owners, centre);
      owners += ": " + index;
    }
    for (const std::string& province : state.influence) {
      if (!held.empty()) held += ", ";
      append_json_string(held, province);
      held += ": " + index;
    }
    builds += (builds.empty() ? "" : ", ") + std::to_string(state.builds);
  }
  out += ", \"u\": [" + units + "], \"sc\": {" + owners + "}, \"i\": {" + held + "}, \"b\": [" +
         builds + "]";

  // Orders as [power, kind, from, to, helped unit's place, result, text].
  std::map<std::string, std::string> results;
  for (const auto& [unit, words] : phase.results) {
    std::string joined;
    for (const std::string& word : words) {
      if (!word.empty()) joined += (joined.empty() ? "" : ", ") + word;
    }
    results[unit] = joined;
  }
  std::string orders;
  std::set<std::string> ordered;
  auto add_order = [&](int power, const char* kind, const std::string& from, const std::string& to,
                       const std::string& other, const std::string& result,
                       const std::string& text) {
    orders += orders.empty() ? "[" : ", [";
    orders += std::to_string(power) + ", ";
    append_json_string(orders, kind);
    for (const std::string* field : {&from, &to, &other, &result, &text}) {
      orders += ", ";
      append_json_string(orders, *field);
    }
    orders += ']';
  };
  for (const auto& [power, texts] : phase.orders) {
    for (const std::string& text : texts) {
      const std::optional<TextOrder> order = savedgame::read_order(names, text);
      if (!order) continue;
      const bool waive = order->kind == OrderKind::kWaive;
      const std::string unit = waive ? "WAIVE" : names.unit(order->unit.type, order->unit.location);
      if (!waive) ordered.insert(names.location(order->unit.location));
      const auto result = results.find(unit);
      add_order(index_of(power), kind_code(order->kind),
                waive ? "" : names.location(order->unit.location),
                order->target ? names.location(*order->target) : "",
                order->other ? names.location(order->other->location) : "",
                result != results.end() ? result->second : "", text);
    }
  }
  // Units the rules disbanded or removed without an order show as such.
  for (const auto& [unit, words] : phase.results) {
    const bool disbanded = std::find(words.begin(), words.end(), "disband") != words.end();
    if (!disbanded || unit.size() < 3 || ordered.count(unit.substr(2))) continue;
    add_order(-1, "D", unit.substr(2), "", "", results[unit], unit + " D");
  }
  out += ", \"o\": [" + orders + "], \"m\": [";
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
  return out + "}";
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
