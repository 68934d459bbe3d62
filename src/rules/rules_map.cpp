#include "rules/rules_map.h"

#include <algorithm>

#include "protocol/tokens.h"

namespace quorvel::rules {

int RulesMap::load(const TokenMessage& mdf) {
  const int fault = read_map(mdf, board_);
  const int provinces = std::max(board_.province_count, 0);
  const int powers = std::max(board_.power_count, 0);
  supply_centres_ = 0;
  homes_.assign(static_cast<std::size_t>(powers), {});
  neighbours_.assign(static_cast<std::size_t>(provinces), {});
  for (int p = 0; p < provinces; ++p) {
    const MapProvince& record = province(p);
    supply_centres_ += record.is_supply_centre;
    for (int power : record.home_powers) {
      if (power < powers) homes_[static_cast<std::size_t>(power)].push_back(p);
    }
    std::vector<int>& next = neighbours_[static_cast<std::size_t>(p)];
    for (const auto& [key, places] : record.adjacency) {
      for (const Location& to : places)
        next.push_back(to.province);
    }
    std::sort(next.begin(), next.end());
    next.erase(std::unique(next.begin(), next.end()), next.end());
  }
  army_steps_.assign(static_cast<std::size_t>(provinces), {});
  fleet_steps_.assign(static_cast<std::size_t>(provinces), {});
  const auto add_steps = [&](const Location& from, std::vector<int>& steps) {
    for (const Location& to : moves(from))
      steps.push_back(to.province);
    std::sort(steps.begin(), steps.end());
    steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
  };
  for (int p = 0; p < provinces; ++p) {
    if (land(p)) add_steps(Location{p, tok::AMY}, army_steps_[static_cast<std::size_t>(p)]);
    for (Token key : fleet_keys(p))
      add_steps(Location{p, key}, fleet_steps_[static_cast<std::size_t>(p)]);
  }
  return fault;
}

std::string RulesMap::name(int p) const {
  return printed_text(TokenMessage(token(p)));
}

const std::vector<int>& RulesMap::home_centres(int power) const {
  static const std::vector<int> none;
  if (power < 0 || power >= static_cast<int>(homes_.size())) return none;
  return homes_[static_cast<std::size_t>(power)];
}

bool RulesMap::coastal(int p) const {
  return land(p) && !fleet_keys(p).empty();
}

std::vector<Token> RulesMap::fleet_keys(int p) const {
  std::vector<Token> keys;
  if (!valid(p)) return keys;
  for (const auto& [key, places] : province(p).adjacency) {
    if (key != tok::AMY) keys.push_back(key);
  }
  return keys;
}

const std::set<Location>& RulesMap::moves(const Location& from) const {
  static const std::set<Location> none;
  if (!valid(from.province)) return none;
  const auto& lists = province(from.province).adjacency;
  const auto list = lists.find(from.coast);
  return list == lists.end() ? none : list->second;
}

bool RulesMap::reaches(const Location& from, int p) const {
  for (const Location& to : moves(from)) {
    if (to.province == p) return true;
  }
  return false;
}

}  // namespace quorvel::rules
