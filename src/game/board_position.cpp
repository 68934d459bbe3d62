// The position: turn, units with their retreat options, centre owners.
#include "game/board_position.h"

#include "game/message_positions.h"
#include "protocol/tokens.h"

namespace quorvel {

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

int read_unit(const BoardMap& map, const TokenMessage& unit, int offset, BoardPosition& position) {
  const auto& provinces = map.provinces;
  if (unit.sub_message_count() < 3 || !unit.sub_message_is_single_token(0) ||
      !unit.sub_message_is_single_token(1)) {
    return offset;
  }
  const Token power = unit.first_token();
  if (!map.has_power(power.subtoken())) return offset;
  const Token unit_type = unit.token_at(unit.sub_message_start(1));
  // Only armies and fleets stand on the board; any other type would pass as a coast key.
  if (unit_type != tok::AMY && unit_type != tok::FLT) return content_position(unit, 1, offset);

  const int location_position = element_position(unit, 2, offset);
  const TokenMessage place = unit.sub_message(2);
  Location location;
  if ((!place.is_single_token() && unit_type != tok::FLT) ||
      !read_place(place, unit_type, location) || !map.on_map(location.province) ||
      provinces[static_cast<std::size_t>(location.province)].adjacency.count(location.coast) == 0) {
    return location_position;
  }

  UnitRecord record;
  record.location = location;
  record.power = power.subtoken();
  record.unit_type = unit_type;

  if (unit.sub_message_count() != 5) {
    position.units[location.province] = std::move(record);
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
      if (!read_place(options.sub_message(i), unit_type, option) || !map.on_map(option.province)) {
        fault = element_position(options, i, options_offset);
        break;
      }
      record.retreat_options.insert(option);
    }
  }
  position.dislodged_units[location.province] = std::move(record);
  return fault;
}

}  // namespace

int read_position(const BoardMap& map, const TokenMessage& now, BoardPosition& position) {
  if (!now.sub_message_is_single_token(0) || now.first_token() != tok::NOW) return 0;
  const TokenMessage turn = now.sub_message(1);
  position.season = turn.token_at(0);
  position.year = turn.token_at(1).number();
  position.units.clear();
  position.dislodged_units.clear();
  int fault = -1;
  for (int i = 2; i < now.sub_message_count() && fault == -1; ++i) {
    fault = read_unit(map, now.sub_message(i), content_position(now, i, 0), position);
  }
  return fault;
}

int read_centres(const BoardMap& map, const TokenMessage& sco,
                 std::vector<std::pair<int, Token>>& owners) {
  if (!sco.sub_message_is_single_token(0) || sco.first_token() != tok::SCO) return 0;
  owners.clear();
  for (int i = 1; i < sco.sub_message_count(); ++i) {
    const TokenMessage entry = sco.sub_message(i);
    const int offset = content_position(sco, i, 0);
    const Token owner = entry.token_at(0);
    for (int k = 1; k < entry.sub_message_count(); ++k) {
      const Token province = entry.token_at(entry.sub_message_start(k));
      if (!entry.sub_message_is_single_token(k) || !map.on_map(province.subtoken())) {
        return element_position(entry, k, offset);
      }
      owners.emplace_back(province.subtoken(), owner);
    }
  }
  return -1;
}

}  // namespace quorvel
