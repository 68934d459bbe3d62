#include "savedgame/order_text.h"

#include <algorithm>
#include <map>
#include <queue>
#include <set>

#include "game/game_board.h"
#include "protocol/tokens.h"

namespace quorvel::savedgame {

using namespace tok;

namespace {

std::string token_text(Token token) {
  return printed_text(TokenMessage(token));
}

// "NC" for NCS: the saved game's coasts drop the token's last letter.
std::string coast_text(Token coast) {
  const std::string text = token_text(coast);
  return text.size() == 3 ? text.substr(0, 2) : text;
}

std::optional<Token> coast_token(std::string_view text) {
  for (Token coast : {NCS, ECS, SCS, WCS}) {
    if (coast_text(coast) == text) return coast;
  }
  return std::nullopt;
}

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ')
      ++at;
    const std::size_t start = at;
    while (at < text.size() && text[at] != ' ')
      ++at;
    if (at > start) out.push_back(text.substr(start, at - start));
  }
  return out;
}

std::optional<Token> unit_type(std::string_view word) {
  if (word == "A") return AMY;
  if (word == "F") return FLT;
  return std::nullopt;
}

bool fail(std::string* why, std::string reason) {
  if (why) *why = std::move(reason);
  return false;
}

}  // namespace

namespace {

// Three seas the field's engine names otherwise than the client's tokens do.
constexpr std::pair<std::string_view, std::string_view> kFieldNames[] = {
    {"ECH", "ENG"}, {"GOB", "BOT"}, {"GOL", "LYO"}};

}  // namespace

MapNames::MapNames(const rules::RulesMap& map) : map_(map) {
  for (int p = 0; p < std::max(map.province_count(), 0); ++p) {
    provinces_.push_back(map.valid(p) ? map.name(p) : std::string());
    for (const auto& [token, field] : kFieldNames) {
      if (provinces_.back() == token) provinces_.back() = field;
    }
    if (!map.valid(p)) continue;
    by_name_.emplace_back(provinces_.back(), p);
    // The token's own name reads too.
    if (map.name(p) != provinces_.back()) by_name_.emplace_back(map.name(p), p);
  }
  std::sort(by_name_.begin(), by_name_.end());
  static const char* const kStandard[] = {"AUSTRIA", "ENGLAND", "FRANCE", "GERMANY",
                                          "ITALY",   "RUSSIA",  "TURKEY"};
  for (int power = 0; power < std::max(map.power_count(), 0); ++power)
    powers_.push_back(power < 7 ? kStandard[power] : token_text(GameBoard::power_token(power)));
}

const std::string& MapNames::province(int p) const {
  static const std::string none;
  return p >= 0 && p < static_cast<int>(provinces_.size()) ? provinces_[static_cast<std::size_t>(p)]
                                                           : none;
}

const std::string& MapNames::power(int power) const {
  static const std::string none;
  return power >= 0 && power < static_cast<int>(powers_.size())
             ? powers_[static_cast<std::size_t>(power)]
             : none;
}

int MapNames::power(std::string_view name) const {
  for (int p = 0; p < map_.power_count(); ++p) {
    if (map_.has_power(p) && power(p) == name) return p;
  }
  return -1;
}

int MapNames::province(std::string_view name) const {
  const auto found = std::lower_bound(by_name_.begin(), by_name_.end(), name,
                                      [](const std::pair<std::string, int>& entry,
                                         std::string_view key) { return entry.first < key; });
  return found != by_name_.end() && found->first == name ? found->second : -1;
}

std::string MapNames::location(const Location& location) const {
  std::string text = province(location.province);
  if (location.coast.category() == CATEGORY_COAST) text += "/" + coast_text(location.coast);
  return text;
}

std::string MapNames::unit(Token type, const Location& location) const {
  return std::string(type == FLT ? "F " : "A ") + this->location(location);
}

std::optional<Location> MapNames::location(std::string_view text, Token type) const {
  const std::size_t slash = text.find('/');
  const int p = province(text.substr(0, slash));
  if (p < 0) return std::nullopt;
  const auto& keys = map_.province(p).adjacency;
  if (slash == std::string_view::npos) {
    // A fleet on a province of several coasts without its coast stands nowhere; a move to
    // one is settled by the order.
    return Location{p, type == AMY ? AMY : FLT};
  }
  const std::optional<Token> coast = coast_token(text.substr(slash + 1));
  if (!coast || !keys.count(*coast)) return std::nullopt;
  return Location{p, *coast};
}

namespace {

// A unit at words[at]: its type and place.
bool read_unit_words(const MapNames& names, const std::vector<std::string_view>& w, std::size_t at,
                     TextUnit& unit, std::string* why) {
  if (at >= w.size()) return fail(why, "a unit is missing");
  const std::optional<Token> type = unit_type(w[at]);
  if (!type) return fail(why, "'" + std::string(w[at]) + "' is no unit type (A or F)");
  if (at + 1 >= w.size()) return fail(why, "the unit has no province");
  const std::optional<Location> place = names.location(w[at + 1], *type);
  if (!place) return fail(why, "'" + std::string(w[at + 1]) + "' is no place of the map");
  unit = TextUnit{*type, *place};
  return true;
}

}  // namespace

std::optional<TextUnit> read_unit(const MapNames& names, std::string_view text, std::string* why) {
  const std::vector<std::string_view> w = words(text);
  TextUnit unit;
  if (!read_unit_words(names, w, 0, unit, why)) return std::nullopt;
  // A unit stands as "A PAR", one space between, nothing else.
  if (w.size() != 2 || text.size() != w[0].size() + 1 + w[1].size())
    return fail(why, "'" + std::string(text) + "' is no unit"), std::nullopt;
  return unit;
}

std::optional<TextOrder> read_order(const MapNames& names, std::string_view text,
                                    std::string* why) {
  const std::vector<std::string_view> w = words(text);
  TextOrder order;
  if (w.size() == 1 && w[0] == "WAIVE") {
    order.kind = OrderKind::kWaive;
    return order;
  }
  auto read_unit = [&](std::size_t at, TextUnit& unit) {
    return read_unit_words(names, w, at, unit, why);
  };
  // Where a unit goes: a fleet without a coast to a province of several takes the one it
  // reaches.
  auto read_target = [&](std::string_view word, const TextUnit& unit, std::optional<Location>& to) {
    std::optional<Location> place = names.location(word, unit.type);
    if (!place) return fail(why, "'" + std::string(word) + "' is no place of the map");
    const auto& keys = names.map().province(place->province).adjacency;
    if (unit.type == FLT && place->coast == FLT && !keys.count(FLT)) {
      for (const Location& reached : names.map().moves(unit.location)) {
        if (reached.province == place->province) place = reached;
      }
    }
    to = place;
    return true;
  };
  if (!read_unit(0, order.unit)) return std::nullopt;
  if (w.size() < 3) return fail(why, "the order has no action"), std::nullopt;
  const std::string_view action = w[2];
  const std::size_t rest = w.size() - 3;
  if (action == "H" && rest == 0) {
    order.kind = OrderKind::kHold;
  } else if (action == "D" && rest == 0) {
    // A disband in retreats, a removal in adjustments: the phase tells them apart.
    order.kind = OrderKind::kDisband;
  } else if (action == "B" && rest == 0) {
    order.kind = OrderKind::kBuild;
  } else if ((action == "-" || action == "R") && (rest == 1 || (rest == 2 && w[4] == "VIA"))) {
    order.kind = action == "R" ? OrderKind::kRetreat
                 : rest == 2   ? OrderKind::kConvoyedMove
                               : OrderKind::kMove;
    order.via = rest == 2;
    if (action == "R" && rest == 2) return fail(why, "a retreat goes by no convoy"), std::nullopt;
    if (!read_target(w[3], order.unit, order.target)) return std::nullopt;
  } else if ((action == "S" || action == "C") && (rest == 2 || (rest == 4 && w[5] == "-"))) {
    TextUnit other;
    if (!read_unit(3, other)) return std::nullopt;
    order.other = other;
    if (rest == 4) {
      if (!read_target(w[6], other, order.target)) return std::nullopt;
      order.kind = action == "S" ? OrderKind::kSupportMove : OrderKind::kConvoy;
    } else if (action == "S") {
      order.kind = OrderKind::kSupportHold;
    } else {
      return fail(why, "a convoy names where the army goes"), std::nullopt;
    }
  } else {
    return fail(why, "'" + std::string(text) + "' is no order"), std::nullopt;
  }
  return order;
}

std::string order_text(const MapNames& names, const TextOrder& order) {
  if (order.kind == OrderKind::kWaive) return "WAIVE";
  std::string text = names.unit(order.unit.type, order.unit.location);
  auto to = [&] { return order.target ? names.location(*order.target) : std::string(); };
  switch (order.kind) {
    case OrderKind::kMove:
      return text + " - " + to();
    case OrderKind::kConvoyedMove:
      return text + " - " + to() + " VIA";
    case OrderKind::kRetreat:
      return text + " R " + to();
    case OrderKind::kSupportHold:
      return text + " S " + names.unit(order.other->type, order.other->location);
    case OrderKind::kSupportMove:
      return text + " S " + names.unit(order.other->type, order.other->location) + " - " + to();
    case OrderKind::kConvoy:
      return text + " C " + names.unit(order.other->type, order.other->location) + " - " + to();
    case OrderKind::kDisband:
    case OrderKind::kRemove:
      return text + " D";
    case OrderKind::kBuild:
      return text + " B";
    default:
      return text + " H";
  }
}

TextOrder text_order(const rules::Order& order, const rules::Position& position) {
  TextOrder text;
  text.kind = order.kind == OrderKind::kRemove ? OrderKind::kDisband : order.kind;
  text.unit = TextUnit{order.unit.type, order.unit.location};
  if (order.kind == OrderKind::kSupportHold || order.kind == OrderKind::kSupportMove ||
      order.kind == OrderKind::kConvoy) {
    const auto found = position.units.find(order.supported);
    text.other = found != position.units.end()
                     ? TextUnit{found->second.type, found->second.location}
                     : TextUnit{AMY, Location{order.supported, AMY}};
    if (order.kind != OrderKind::kSupportHold) text.target = Location{order.target, AMY};
  } else if (order.is_move() || order.kind == OrderKind::kRetreat) {
    text.target = order.destination;
    text.via = order.kind == OrderKind::kConvoyedMove;
  }
  return text;
}

namespace {

// The seas of a convoy from the army's province to its target: a chain of fleets ordered to
// convoy this very move, each reaching the next.
std::vector<int> convoy_seas(const MapNames& names, const TextOrder& move,
                             const std::vector<TextOrder>& phase_orders) {
  std::set<int> convoying;
  for (const TextOrder& order : phase_orders) {
    if (order.kind == OrderKind::kConvoy && order.other && order.target &&
        order.other->location.province == move.unit.location.province &&
        order.target->province == move.target->province)
      convoying.insert(order.unit.location.province);
  }
  const rules::RulesMap& map = names.map();
  std::map<int, int> came_from;
  std::queue<int> open;
  for (int sea : convoying) {
    if (map.reaches(Location{sea, FLT}, move.unit.location.province)) {
      came_from[sea] = -1;
      open.push(sea);
    }
  }
  while (!open.empty()) {
    const int sea = open.front();
    open.pop();
    if (map.reaches(Location{sea, FLT}, move.target->province)) {
      std::vector<int> path;
      for (int at = sea; at >= 0; at = came_from[at])
        path.insert(path.begin(), at);
      return path;
    }
    for (int next : convoying) {
      if (came_from.count(next) || !map.reaches(Location{sea, FLT}, next)) continue;
      came_from[next] = sea;
      open.push(next);
    }
  }
  return {};
}

}  // namespace

TokenMessage order_message(const MapNames& names, const rules::Position& position, int power,
                           const TextOrder& order, const std::vector<TextOrder>& phase_orders) {
  const rules::RulesMap& map = names.map();
  if (order.kind == OrderKind::kWaive) return GameBoard::power_token(power) + WVE;
  auto unit = [&](const TextUnit& u, int owner) {
    return rules::unit_message(map, rules::Unit{owner, u.type, u.location});
  };
  // The text names no power for a supported or convoyed unit: the one standing there.
  auto owner = [&](const TextUnit& u) {
    const auto found = position.units.find(u.location.province);
    return found != position.units.end() ? found->second.power : power;
  };
  const TokenMessage self = unit(order.unit, power).enclose();
  const TokenMessage target =
      order.target ? TokenMessage(map.token(order.target->province)) : TokenMessage();
  switch (order.kind) {
    case OrderKind::kHold:
      return self + HLD;
    case OrderKind::kMove:
      return (self + MTO) + rules::location_message(map, *order.target);
    case OrderKind::kRetreat:
      return (self + RTO) + rules::location_message(map, *order.target);
    case OrderKind::kConvoyedMove: {
      const std::vector<int> chain = convoy_seas(names, order, phase_orders);
      // Without fleets to carry it, an army next to its target goes by land, as the
      // field's engine moves it.
      if (chain.empty() && map.reaches(order.unit.location, order.target->province))
        return (self + MTO) + rules::location_message(map, Location{order.target->province, AMY});
      TokenMessage seas;
      for (int sea : chain)
        seas = seas + map.token(sea);
      return ((self + CTO) + target + VIA) & seas;
    }
    case OrderKind::kSupportHold:
      return (self + SUP) & unit(*order.other, owner(*order.other));
    case OrderKind::kSupportMove:
      return (((self + SUP) & unit(*order.other, owner(*order.other))) + MTO) + target;
    case OrderKind::kConvoy:
      return (((self + CVY) & unit(*order.other, owner(*order.other))) + CTO) + target;
    case OrderKind::kDisband:
      return self + (position.season == WIN ? REM : DSB);
    case OrderKind::kRemove:
      return self + REM;
    case OrderKind::kBuild:
      return self + BLD;
    default:
      return self + HLD;
  }
}

}  // namespace quorvel::savedgame
