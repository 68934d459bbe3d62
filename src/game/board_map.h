#pragma once

#include <array>
#include <bitset>
#include <map>
#include <set>
#include <string>

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
// Powers and provinces are indexed by their tokens' sub-tokens. A variant may name only
// some of them (two powers of seven, seven provinces of the standard map): the counts are
// one past the highest index, and the indexes below it it does not name are off the map.
struct BoardMap {
  std::array<MapProvince, kMaxProvinces> provinces;
  int province_count = -1;
  int power_count = -1;
  std::bitset<kMaxPowers> powers;  // the powers the map names

  bool has_map() const { return province_count >= 0; }
  bool on_map(int province) const {
    return province >= 0 && province < province_count &&
           provinces[static_cast<std::size_t>(province)].defined;
  }
  bool has_power(int power) const {
    return power >= 0 && power < power_count && powers.test(static_cast<std::size_t>(power));
  }
  int named_power_count() const { return static_cast<int>(powers.count()); }
};

// Reads an MDF into the map: -1, or the token position of the first fault within the
// whole message, and the fault in words when why is given. No message makes it index
// outside the map's arrays.
int read_map(const TokenMessage& mdf, BoardMap& map, std::string* why = nullptr);

}  // namespace quorvel
