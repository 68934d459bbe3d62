#include "page/board_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>

#include "page/standard_board.h"
#include "rules/standard_map.h"

namespace quorvel::page {

using Json = nlohmann::json;

namespace {

// Provinces spread by their borders: each pulls its neighbours, all push each other
// (a force layout from fixed starting places, so a map is always drawn alike).
using Point = std::pair<double, double>;

// Provinces with a place given stay there; the others move.
std::vector<Point> spread(int count, const std::vector<std::pair<int, int>>& links, double size,
                          const std::vector<std::optional<Point>>& fixed) {
  std::vector<Point> at(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double angle = 2 * std::numbers::pi * i / std::max(count, 1);
    const auto& given = fixed[static_cast<std::size_t>(i)];
    at[static_cast<std::size_t>(i)] =
        given ? *given
              : Point{size / 2 + size / 3 * std::cos(angle), size / 2 + size / 3 * std::sin(angle)};
  }
  const double ideal = size / (1.5 * std::sqrt(std::max(count, 1)));
  for (int step = 0; step < 300; ++step) {
    std::vector<std::pair<double, double>> push(at.size(), {0, 0});
    for (std::size_t a = 0; a < at.size(); ++a) {
      for (std::size_t b = a + 1; b < at.size(); ++b) {
        const double dx = at[a].first - at[b].first;
        const double dy = at[a].second - at[b].second;
        const double d = std::max(std::hypot(dx, dy), 1.0);
        const double force = ideal * ideal / d;
        push[a].first += dx / d * force;
        push[a].second += dy / d * force;
        push[b].first -= dx / d * force;
        push[b].second -= dy / d * force;
      }
    }
    for (const auto& [a, b] : links) {
      auto& p = at[static_cast<std::size_t>(a)];
      auto& q = at[static_cast<std::size_t>(b)];
      const double dx = p.first - q.first;
      const double dy = p.second - q.second;
      const double d = std::max(std::hypot(dx, dy), 1.0);
      const double force = d * d / ideal;
      push[static_cast<std::size_t>(a)].first -= dx / d * force;
      push[static_cast<std::size_t>(a)].second -= dy / d * force;
      push[static_cast<std::size_t>(b)].first += dx / d * force;
      push[static_cast<std::size_t>(b)].second += dy / d * force;
    }
    const double limit = size / 10 * (1.0 - step / 300.0) + 1;
    for (std::size_t i = 0; i < at.size(); ++i) {
      if (fixed[i]) continue;
      const double length = std::max(std::hypot(push[i].first, push[i].second), 1e-9);
      const double move = std::min(length, limit);
      at[i].first = std::clamp(at[i].first + push[i].first / length * move, 40.0, size - 40);
      at[i].second = std::clamp(at[i].second + push[i].second / length * move, 40.0, size - 40);
    }
  }
  return at;
}

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", v);
  return text;
}

std::string disc(double x, double y, double r) {
  std::string path;
  for (int i = 0; i < 16; ++i) {
    const double angle = 2 * std::numbers::pi * i / 16;
    path +=
        (i ? "L" : "M") + number(x + r * std::cos(angle)) + " " + number(y + r * std::sin(angle));
  }
  return path + "Z";
}

Json laid_out(const savedgame::MapNames& names, const std::vector<rules::MapPlace>& places) {
  const rules::RulesMap& map = names.map();
  std::vector<int> provinces;
  for (int p = 0; p < map.province_count(); ++p) {
    if (map.valid(p)) provinces.push_back(p);
  }
  std::vector<std::pair<int, int>> links;
  for (std::size_t a = 0; a < provinces.size(); ++a) {
    for (std::size_t b = a + 1; b < provinces.size(); ++b) {
      const auto& near = map.neighbours(provinces[a]);
      if (std::find(near.begin(), near.end(), provinces[b]) != near.end())
        links.emplace_back(static_cast<int>(a), static_cast<int>(b));
    }
  }
  const double size =
      std::clamp(120.0 * std::sqrt(static_cast<double>(provinces.size())), 400.0, 1400.0);
  // The file's places, fitted into the drawing with a margin.
  std::vector<std::optional<Point>> fixed(provinces.size());
  double low_x = 1e9, low_y = 1e9, high_x = -1e9, high_y = -1e9;
  for (const rules::MapPlace& place : places) {
    low_x = std::min(low_x, place.x);
    low_y = std::min(low_y, place.y);
    high_x = std::max(high_x, place.x);
    high_y = std::max(high_y, place.y);
  }
  const double span = std::max({high_x - low_x, high_y - low_y, 1.0});
  for (std::size_t i = 0; i < provinces.size(); ++i) {
    for (const rules::MapPlace& place : places) {
      if (place.province != map.name(provinces[i])) continue;
      fixed[i] = Point{50 + (place.x - low_x) / span * (size - 100),
                       50 + (place.y - low_y) / span * (size - 100)};
    }
  }
  const auto at = spread(static_cast<int>(provinces.size()), links, size, fixed);
  Json board{{"width", size}, {"height", size}, {"neutral", ""}, {"coasts", Json::object()}};
  Json drawn = Json::object();
  const double r = std::min(34.0, size / (2.5 * std::sqrt(provinces.size() + 1.0)));
  for (std::size_t i = 0; i < provinces.size(); ++i) {
    const int p = provinces[i];
    const auto [x, y] = at[i];
    drawn[names.province(p)] = {
        {"sea", map.sea(p)}, {"x", std::lround(x)}, {"y", std::lround(y)}, {"path", disc(x, y, r)}};
    for (Token coast : map.fleet_keys(p)) {
      if (coast.category() != CATEGORY_COAST) continue;
      const std::string place = names.location(Location{p, coast});
      const double angle = coast.subtoken() * std::numbers::pi / 2;
      board["coasts"][place] = {std::lround(x + r * 0.7 * std::cos(angle)),
                                std::lround(y + r * 0.7 * std::sin(angle))};
    }
  }
  Json joined = Json::array();
  for (const auto& [a, b] : links)
    joined.push_back({names.province(provinces[static_cast<std::size_t>(a)]),
                      names.province(provinces[static_cast<std::size_t>(b)])});
  board["provinces"] = std::move(drawn);
  board["links"] = std::move(joined);
  return board;
}

// A map is drawn on the standard board when its provinces are the board's and border
// where they do there: a map of the same names that joins them otherwise is its own.
bool on_standard_board(const rules::RulesMap& map) {
  static const rules::RulesMap standard = [] {
    rules::RulesMap loaded;
    loaded.load(rules::standard_map_file().mdf);
    return loaded;
  }();
  for (int p = 0; p < map.province_count(); ++p) {
    if (!map.valid(p)) continue;
    if (!standard.valid(p) || standard.token(p) != map.token(p)) return false;
    const auto& theirs = standard.neighbours(p);
    for (int q : map.neighbours(p)) {
      if (std::find(theirs.begin(), theirs.end(), q) == theirs.end()) return false;
    }
  }
  return true;
}

const Json& standard_board() {
  static const Json standard = Json::parse(standard_board_json());
  return standard;
}

// The standard board's provinces that the map leaves out.
Json off_the_map(const savedgame::MapNames& names) {
  Json off = Json::array();
  for (const auto& [name, province] : standard_board()["provinces"].items()) {
    const int p = names.province(name);
    if (p < 0 || !names.map().valid(p)) off.push_back(name);
  }
  return off;
}

}  // namespace

Json board_drawing(const savedgame::MapNames& names, const std::vector<rules::MapPlace>& places) {
  if (!places.empty() || !on_standard_board(names.map())) return laid_out(names, places);
  Json board = standard_board();
  board["off"] = off_the_map(names);
  return board;
}

std::string board_drawing_text(const savedgame::MapNames& names,
                               const std::vector<rules::MapPlace>& places) {
  if (!places.empty() || !on_standard_board(names.map())) return laid_out(names, places).dump();
  static const std::string standard = [] {
    std::string text = standard_board().dump();
    text.pop_back();
    return text;
  }();
  return standard + ", \"off\": " + off_the_map(names).dump() + "}";
}

}  // namespace quorvel::page
