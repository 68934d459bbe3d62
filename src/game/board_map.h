#pragma once

#include <array>
#include <map>
#include <set>

#include "game/location.h"
#include "protocol/token.h"
#include "protocol/token_message.h"

namespace quorvel {

inline constexpr int kMaxProvinces = 256;
inline constexpr int kMaxPowers = 256;

struct MapProvince {
  Token token;
  bool defined = false;
  bool is_supply_centre = false;
  bool has_army_moves = false;
  // Places reachable in one move, per coast key of the unit that moves.
  std::map<Token, std::set<Location>> adjacency;
  std::set<int> home_powers;
  Token owner;
};

// The map as a map definition gives it: powers, provinces with their centres, home
// centres and adjacencies. Plain data, read alike by the bot's board and the rules.
struct BoardMap {
  std::array<MapProvince, kMaxProvinces> provinces;
  int province_count = -1;
  int power_count = -1;

  bool has_map() const { return province_count >= 0; }
};

// Reads an MDF into the map: -1, or the token position of the first fault within the
// whole message. No message makes it index outside the map's arrays.
int read_map(const TokenMessage& mdf, BoardMap& map);

}  // namespace quorvel
