#include "page/page_data.h"

#include <algorithm>
#include <map>

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

Json phase_data(const MapNames& names, const SavedPhase& phase) {
  std::map<std::string, int> power_index;
  for (int p = 0, i = 0; p < names.map().power_count(); ++p) {
    if (names.map().has_power(p)) power_index[names.power(p)] = i++;
  }
  auto index_of = [&](const std::string& power) {
    const auto found = power_index.find(power);
    return found != power_index.end() ? found->second : -1;
  };
  Json units = Json::array();
  Json owners = Json::object();
  Json held = Json::object();
  Json builds = Json::array();
  for (const auto& [power, state] : phase.state.powers) {
    const int index = index_of(power);
    for (std::string unit : state.units) {
      const bool dislodged = !unit.empty() && unit[0] == '*';
      if (dislodged) unit.erase(0, 1);
      if (unit.size() < 3) continue;
      units.push_back({index, unit.substr(0, 1), unit.substr(2), dislodged ? 1 : 0});
    }
    for (const std::string& centre : state.centers)
      owners[centre] = index;
    for (const std::string& province : state.influence)
      held[province] = index;
    builds.push_back(state.builds);
  }
  std::map<std::string, std::string> results;
  for (const auto& [unit, words] : phase.results) {
    std::string joined;
    for (const std::string& word : words) {
      if (!word.empty()) joined += (joined.empty() ? "" : ", ") + word;
    }
    results[unit] = joined;
  }
  Json orders = Json::array();
  for (const auto& [power, texts] : phase.orders) {
    for (const std::string& text : texts) {
      const std::optional<TextOrder> order = savedgame::read_order(names, text);
      if (!order) continue;
      const std::string unit = order->kind == OrderKind::kWaive
                                   ? "WAIVE"
                                   : names.unit(order->unit.type, order->unit.location);
      const auto result = results.find(unit);
      orders.push_back(
          {index_of(power), kind_code(order->kind),
           order->kind == OrderKind::kWaive ? "" : names.location(order->unit.location),
           order->target ? names.location(*order->target) : "",
           order->other ? names.location(order->other->location) : "",
           result != results.end() ? result->second : "", text});
    }
  }
  // Units the rules disbanded or removed without an order show as such.
  for (const auto& [unit, words] : phase.results) {
    const bool disbanded = std::find(words.begin(), words.end(), "disband") != words.end();
    if (!disbanded || unit.size() < 3) continue;
    bool ordered = false;
    for (const auto& order : orders)
      ordered = ordered || (order[1] != "W" && order[2] == unit.substr(2));
    if (!ordered) orders.push_back({-1, "D", unit.substr(2), "", "", results[unit], unit + " D"});
  }
  Json messages = Json::array();
  for (const savedgame::SavedMessage& message : phase.messages)
    messages.push_back({message.sender, message.recipient, message.message});
  return Json{{"n", phase.name},         {"t", title(phase.name)},   {"u", std::move(units)},
              {"sc", std::move(owners)}, {"i", std::move(held)},     {"b", std::move(builds)},
              {"o", std::move(orders)},  {"m", std::move(messages)}, {"note", phase.state.note}};
}

Json page_data(const SavedGame& game, const rules::MapFile& map_file) {
  rules::RulesMap map;
  map.load(map_file.mdf);
  const MapNames names(map);
  Json data = page_data_without_board(game, names);
  data["board"] = board_drawing(names);
  return data;
}

Json page_data_without_board(const SavedGame& game, const MapNames& names) {
  const rules::RulesMap& map = names.map();
  Json powers = Json::array();
  for (int p = 0; p < map.power_count(); ++p) {
    if (!map.has_power(p)) continue;
    const std::string name = names.power(p);
    powers.push_back({{"name", name},
                      {"short", printed_text(TokenMessage(Token(CATEGORY_POWER, p)))},
                      {"colour", colour(name, static_cast<int>(powers.size()))}});
  }
  Json phases = Json::array();
  for (const SavedPhase& phase : game.phases)
    phases.push_back(phase_data(names, phase));
  Json centres = Json::array();
  for (int p = 0; p < map.province_count(); ++p) {
    if (map.supply_centre(p)) centres.push_back(names.province(p));
  }
  return Json{{"id", game.id},
              {"map", game.map},
              {"rules", game.rules},
              {"powers", std::move(powers)},
              {"centres", std::move(centres)},
              {"phases", std::move(phases)}};
}

}  // namespace quorvel::page
