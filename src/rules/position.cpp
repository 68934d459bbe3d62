#include "rules/position.h"

#include "game/board_position.h"
#include "game/game_board.h"
#include "protocol/tokens.h"
#include "rules/rules_map.h"

namespace quorvel::rules {

int Position::read_now(const RulesMap& map, const TokenMessage& now) {
  BoardPosition read;
  const int fault = read_position(map.board(), now, read);
  if (fault != -1) return fault;
  season = read.season;
  year = read.year;
  units.clear();
  dislodged.clear();
  for (const auto& [p, record] : read.units) {
    units[p] = Unit{record.power, record.unit_type, record.location};
  }
  for (const auto& [p, record] : read.dislodged_units) {
    dislodged[p] = DislodgedUnit{Unit{record.power, record.unit_type, record.location},
                                 record.retreat_options};
  }
  if (owners.size() != static_cast<std::size_t>(map.province_count())) {
    owners.assign(static_cast<std::size_t>(map.province_count()), tok::UNO);
    for (int p = 0; p < map.province_count(); ++p) {
      owners[static_cast<std::size_t>(p)] = map.province(p).owner;
    }
  }
  return -1;
}

int Position::read_sco(const RulesMap& map, const TokenMessage& sco) {
  std::vector<std::pair<int, Token>> named;
  const int fault = read_centres(map.board(), sco, named);
  if (fault != -1) return fault;
  // A centre the message does not name belongs to nobody.
  owners.assign(static_cast<std::size_t>(map.province_count()), tok::UNO);
  for (const auto& [p, owner] : named) {
    owners[static_cast<std::size_t>(p)] = owner.category() == CATEGORY_POWER ? owner : tok::UNO;
  }
  return -1;
}

TokenMessage location_message(const RulesMap& map, const Location& location) {
  const Token province = map.token(location.province);
  if (location.coast.category() != CATEGORY_COAST) return province;
  return (province + location.coast).enclose();
}

TokenMessage unit_message(const RulesMap& map, const Unit& unit) {
  return GameBoard::power_token(unit.power) + unit.type + location_message(map, unit.location);
}

TokenMessage turn_message(Token season, int year) {
  return season + Token::from_number(year);
}

TokenMessage Position::now_message(const RulesMap& map) const {
  TokenMessage now = tok::NOW & turn_message(season, year);
  for (const auto& [p, unit] : units)
    now = now & unit_message(map, unit);
  for (const auto& [p, entry] : dislodged) {
    TokenMessage options;
    for (const Location& to : entry.retreats)
      options = options + location_message(map, to);
    now = now & ((unit_message(map, entry.unit) + tok::MRT) & options);
  }
  return now;
}

TokenMessage Position::sco_message(const RulesMap& map) const {
  TokenMessage sco(tok::SCO);
  for (int power = 0; power <= map.power_count(); ++power) {
    const Token owner = power == map.power_count() ? tok::UNO : GameBoard::power_token(power);
    TokenMessage centres;
    for (int p = 0; p < map.province_count(); ++p) {
      if (map.supply_centre(p) && owners[static_cast<std::size_t>(p)] == owner) {
        centres = centres + map.token(p);
      }
    }
    if (!centres.is_empty()) sco = sco & (owner + centres);
  }
  return sco;
}

int Position::centre_count(const RulesMap& map, int power) const {
  int count = 0;
  const Token owner = GameBoard::power_token(power);
  for (int p = 0; p < map.province_count(); ++p) {
    count += map.supply_centre(p) && owners[static_cast<std::size_t>(p)] == owner;
  }
  return count;
}

int Position::unit_count(int power) const {
  int count = 0;
  for (const auto& [p, unit] : units)
    count += unit.power == power;
  return count;
}

}  // namespace quorvel::rules
