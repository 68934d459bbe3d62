// The position: the bot's power, the units with their retreat options, centre owners.
#include "game/game_board.h"
#include "game/message_positions.h"
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
  if (!now.sub_message_is_single_token(0) || now.first_token() != tok::NOW) return 0;

  const TokenMessage turn = now.sub_message(1);
  season = turn.token_at(0);
  year = turn.token_at(1).number();

  units.clear();
  dislodged_units.clear();
  own_units.clear();
  own_dislodged_units.clear();
  buildable_home_centres.clear();
  adjustment_orders.clear();
  waive_count = 0;

  int fault = -1;
  for (int i = 2; i < now.sub_message_count() && fault == -1; ++i) {
    fault = read_unit(now.sub_message(i), content_position(now, i, 0));
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

namespace {

// A place as NOW writes it: a province token, or ( province coast ). The coast key of a
// lone province is the unit type.
bool read_place(const TokenMessage& place, Token unit_type, Location& location) {
  if (place.is_single_token()) {
    location = Location{place.first_token().subtoken(), unit_type};
    return true;
  }
  if (place.length() != 2 || place.token_at(1).category() != CATEGORY_COAST) return false;
  location = Location{place.token_at(0).subtoken(), place.token_at(1)};
  return true;
}

}  // namespace

int GameBoard::read_unit(const TokenMessage& unit, int offset) {
  if (unit.sub_message_count() < 3 || !unit.sub_message_is_single_token(0) ||
      !unit.sub_message_is_single_token(1)) {
    return offset;
  }
  const Token power = unit.first_token();
  if (power.subtoken() >= power_count) return offset;
  const Token unit_type = unit.token_at(unit.sub_message_start(1));
  // Only armies and fleets stand on the board; any other type would pass as a coast key.
  if (unit_type != tok::AMY && unit_type != tok::FLT) return content_position(unit, 1, offset);

  const int location_position = element_position(unit, 2, offset);
  const TokenMessage place = unit.sub_message(2);
  Location location;
  if ((!place.is_single_token() && unit_type != tok::FLT) ||
      !read_place(place, unit_type, location) || location.province >= province_count ||
      provinces[static_cast<std::size_t>(location.province)].adjacency.count(location.coast) == 0) {
    return location_position;
  }

  UnitRecord record;
  record.location = location;
  record.power = power.subtoken();
  record.unit_type = unit_type;
  const bool own = power.subtoken() == own_power.subtoken();

  if (unit.sub_message_count() != 5) {
    units[location.province] = std::move(record);
    if (own) own_units.insert(location.province);
    return -1;
  }

  int fault = -1;
  if (unit.sub_message(3).first_token() != tok::MRT) {
    fault = element_position(unit, 3, offset);
  } else {
    const TokenMessage options = unit.sub_message(4);
    const int options_offset = content_position(unit, 4, offset);
    for (int i = 0; i < options.sub_message_count(); ++i) {
      Location option;
      if (!read_place(options.sub_message(i), unit_type, option) ||
          option.province >= province_count) {
        fault = element_position(options, i, options_offset);
        break;
      }
      record.retreat_options.insert(option);
    }
  }
  dislodged_units[location.province] = std::move(record);
  if (own) own_dislodged_units.insert(location.province);
  return fault;
}

int GameBoard::set_centres(const TokenMessage& sco) {
  if (!has_map() || !sco.sub_message_is_single_token(0) || sco.first_token() != tok::SCO) return 0;
  own_centres.clear();
  for (int i = 1; i < sco.sub_message_count(); ++i) {
    const TokenMessage entry = sco.sub_message(i);
    const int offset = content_position(sco, i, 0);
    const Token owner = entry.token_at(0);
    for (int k = 1; k < entry.sub_message_count(); ++k) {
      const Token province = entry.token_at(entry.sub_message_start(k));
      if (!entry.sub_message_is_single_token(k) || province.subtoken() >= province_count) {
        return element_position(entry, k, offset);
      }
      provinces[static_cast<std::size_t>(province.subtoken())].owner = owner;
      // Before HLO the bot has no power; an owner token of 0 is not the bot.
      if (owner == own_power && own_power != Token()) own_centres.insert(province.subtoken());
    }
  }
  return -1;
}

}  // namespace quorvel
