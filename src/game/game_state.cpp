// The bot's position: its power, own units and centres, what it may build.
#include "game/game_board.h"
#include "protocol/tokens.h"

namespace quorvel {

void GameBoard::set_own_power(Token power) {
  own_power = power;
  own_home_centres.clear();
  if (power.category() != CATEGORY_POWER) return;
  for (int p = 0; p < province_count; ++p) {
    if (provinces[static_cast<std::size_t>(p)].home_powers.count(power.subtoken()) != 0) {
      own_home_centres.insert(p);
    }
  }
}

int GameBoard::set_position(const TokenMessage& now) {
  if (!has_map()) return -1;
  const int fault = read_position(*this, now, *this);
  if (fault == 0) return 0;

  own_units.clear();
  own_dislodged_units.clear();
  buildable_home_centres.clear();
  adjustment_orders.clear();
  waive_count = 0;
  // Before HLO the empty own power's sub-token (0) matches the first power's units.
  for (const auto& [province, unit] : units) {
    if (unit.power == own_power.subtoken()) own_units.insert(province);
  }
  for (const auto& [province, unit] : dislodged_units) {
    if (unit.power == own_power.subtoken()) own_dislodged_units.insert(province);
  }

  if (season == tok::WIN) {
    for (const auto& [province, unit] : units) {
      provinces[static_cast<std::size_t>(province)].owner = power_token(unit.power);
    }
  }
  if (own_power != Token()) {
    for (int province : own_home_centres) {
      if (provinces[static_cast<std::size_t>(province)].owner == own_power &&
          units.count(province) == 0) {
        buildable_home_centres.insert(province);
      }
    }
    adjustment_count = static_cast<int>(own_units.size()) - static_cast<int>(own_centres.size());
  }
  return fault;
}

int GameBoard::set_centres(const TokenMessage& sco) {
  if (!has_map()) return 0;
  std::vector<std::pair<int, Token>> owners;
  const int fault = read_centres(*this, sco, owners);
  if (fault == 0) return 0;
  own_centres.clear();
  for (const auto& [province, owner] : owners) {
    provinces[static_cast<std::size_t>(province)].owner = owner;
    // Before HLO the bot has no power; an owner token of 0 is not the bot.
    if (owner == own_power && own_power != Token()) own_centres.insert(province);
  }
  return fault;
}

}  // namespace quorvel
