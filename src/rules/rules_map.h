#pragma once

#include <set>
#include <string>
#include <vector>

#include "game/board_map.h"
#include "game/location.h"
#include "protocol/token_message.h"

namespace quorvel::rules {

// The map as the rules see it, read from a map definition message as the bot's board
// reads it.
class RulesMap {
 public:
  // -1, or the position of the first fault in the message.
  int load(const TokenMessage& mdf);

  int province_count() const { return board_.province_count; }
  int power_count() const { return board_.power_count; }
  const MapProvince& province(int p) const { return board_.provinces[static_cast<std::size_t>(p)]; }
  // On the map: a variant's provinces may leave gaps below province_count().
  bool valid(int p) const { return board_.on_map(p); }
  bool has_power(int power) const { return board_.has_power(power); }
  Token token(int p) const { return province(p).token; }
  std::string name(int p) const;
  bool supply_centre(int p) const { return valid(p) && province(p).is_supply_centre; }
  int supply_centre_count() const { return supply_centres_; }
  const std::vector<int>& home_centres(int power) const;

  // Armies stand only where there are army moves; fleets only at sea or on a coast.
  bool land(int p) const { return valid(p) && province(p).has_army_moves; }
  bool sea(int p) const { return valid(p) && !province(p).has_army_moves; }
  bool coastal(int p) const;
  // The fleet keys of a province: FLT, or one coast token per coast.
  std::vector<Token> fleet_keys(int p) const;

  // Where a unit standing on the Location can move; empty when none.
  const std::set<Location>& moves(const Location& from) const;
  bool reaches(const Location& from, int province) const;
  // Any unit reaching the province from any place of p, for army distances and such.
  const std::vector<int>& neighbours(int p) const {
    return neighbours_[static_cast<std::size_t>(p)];
  }
  // The provinces a unit of the type can step to from p, none where it cannot stand.
  const std::vector<int>& steps(int p, bool army) const {
    return (army ? army_steps_ : fleet_steps_)[static_cast<std::size_t>(p)];
  }

  const BoardMap& board() const { return board_; }

 private:
  BoardMap board_;
  int supply_centres_ = 0;
  std::vector<std::vector<int>> homes_;
  std::vector<std::vector<int>> neighbours_;
  std::vector<std::vector<int>> army_steps_;
  std::vector<std::vector<int>> fleet_steps_;
};

}  // namespace quorvel::rules
