#pragma once

#include <map>
#include <set>
#include <vector>

#include "game/location.h"
#include "protocol/token.h"
#include "protocol/token_message.h"

namespace quorvel::rules {

class RulesMap;

struct Unit {
  int power = 0;
  Token type;
  Location location;
};

struct DislodgedUnit {
  Unit unit;
  std::set<Location> retreats;
};

// Where the game stands: the units, the dislodged units with their retreats, the owner
// of every province (UNO for none), season and year.
struct Position {
  Token season;
  int year = 0;
  std::map<int, Unit> units;
  std::map<int, DislodgedUnit> dislodged;
  std::vector<Token> owners;

  // From the messages a server sends, read as the game model reads them: -1, or the
  // position of the first fault.
  int read_now(const RulesMap& map, const TokenMessage& now);
  int read_sco(const RulesMap& map, const TokenMessage& sco);
  TokenMessage now_message(const RulesMap& map) const;
  TokenMessage sco_message(const RulesMap& map) const;

  int centre_count(const RulesMap& map, int power) const;
  int unit_count(int power) const;
};

TokenMessage location_message(const RulesMap& map, const Location& location);
TokenMessage unit_message(const RulesMap& map, const Unit& unit);
TokenMessage turn_message(Token season, int year);

}  // namespace quorvel::rules
