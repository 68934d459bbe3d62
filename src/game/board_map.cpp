// The map: powers, provinces with their centres and home centres, and adjacencies.
#include "game/board_map.h"

#include <algorithm>
#include <bitset>

#include "game/message_positions.h"
#include "protocol/tokens.h"

namespace quorvel {

namespace {

int read_powers(BoardMap& map, const TokenMessage& powers, int offset) {
  int& power_count = map.power_count;
  // A longer list must repeat a power; capping keeps power loops inside 256 entries.
  power_count = std::min(powers.length(), kMaxPowers);
  std::bitset<kMaxPowers> seen;
  for (int i = 0; i < powers.length(); ++i) {
    const int index = powers.token_at(i).subtoken();
    if (index >= power_count || seen.test(static_cast<std::size_t>(index))) return offset + i;
    seen.set(static_cast<std::size_t>(index));
  }
  return -1;
}

int read_centre_entry(BoardMap& map, const TokenMessage& entry, int offset) {
  auto& provinces = map.provinces;
  const int power_count = map.power_count;
  std::set<int> home_powers;
  Token owner = tok::UNO;
  auto take_power = [&](Token power, int position) {
    if (power.subtoken() >= power_count) return position;
    home_powers.insert(power.subtoken());
    owner = power;
    return -1;
  };

  for (int i = 0; i < entry.sub_message_count(); ++i) {
    const int position = content_position(entry, i, offset);
    if (!entry.sub_message_is_single_token(i)) {
      const TokenMessage group = entry.sub_message(i);
      for (int g = 0; g < group.sub_message_count(); ++g) {
        const Token power = group.token_at(group.sub_message_start(g));
        if (!group.sub_message_is_single_token(g) || power.category() != CATEGORY_POWER) {
          return position;
        }
        const int fault = take_power(power, content_position(group, g, position));
        if (fault != -1) return fault;
      }
      continue;
    }
    const Token token = entry.token_at(entry.sub_message_start(i));
    if (token.category() == CATEGORY_POWER) {
      const int fault = take_power(token, position);
      if (fault != -1) return fault;
    } else if (token == tok::UNO) {
      continue;
    } else if (token.is_province()) {
      MapProvince& province = provinces[static_cast<std::size_t>(token.subtoken())];
      if (province.defined) return position;
      province.token = token;
      province.defined = true;
      province.is_supply_centre = true;
      province.home_powers = home_powers;
      province.owner = owner;
    } else {
      return position;
    }
  }
  return -1;
}

int read_provinces(BoardMap& map, const TokenMessage& lists, int offset) {
  auto& provinces = map.provinces;
  int& province_count = map.province_count;
  for (MapProvince& province : provinces)
    province = MapProvince{};

  const TokenMessage centres = lists.sub_message(0);
  const int centres_offset = content_position(lists, 0, offset);
  for (int i = 0; i < centres.sub_message_count(); ++i) {
    const int fault = read_centre_entry(map, centres.sub_message(i),
                                        content_position(centres, i, centres_offset));
    if (fault != -1) return fault;
  }

  const TokenMessage others = lists.sub_message(1);
  const int others_offset = content_position(lists, 1, offset);
  for (int i = 0; i < others.sub_message_count(); ++i) {
    const Token token = others.token_at(others.sub_message_start(i));
    if (others.sub_message_is_single_token(i) && token == tok::UNO) continue;
    if (!others.sub_message_is_single_token(i) || !token.is_province() ||
        provinces[static_cast<std::size_t>(token.subtoken())].defined) {
      return element_position(others, i, others_offset);
    }
    MapProvince& province = provinces[static_cast<std::size_t>(token.subtoken())];
    province.token = token;
    province.defined = true;
    province.owner = tok::UNO;
  }

  province_count = 0;
  while (province_count < kMaxProvinces &&
         provinces[static_cast<std::size_t>(province_count)].defined) {
    ++province_count;
  }
  for (int p = province_count; p < kMaxProvinces; ++p) {
    if (provinces[static_cast<std::size_t>(p)].defined) return element_position(lists, 1, offset);
  }
  return -1;
}

// A list's key: AMY, FLT, or ( FLT coast ). Answers false for anything else.
bool read_list_key(const TokenMessage& key, Token& coast_key, Token& unit_type) {
  if (key.is_single_token()) {
    coast_key = unit_type = key.first_token();
    return unit_type == tok::AMY || unit_type == tok::FLT;
  }
  if (key.length() != 2 || key.token_at(0) != tok::FLT ||
      key.token_at(1).category() != CATEGORY_COAST) {
    return false;
  }
  unit_type = tok::FLT;
  coast_key = key.token_at(1);
  return true;
}

int read_adjacency_entry(BoardMap& map, const TokenMessage& entry, int offset) {
  if (!entry.sub_message_is_single_token(0)) return offset;
  const int province_count = map.province_count;
  MapProvince& province = map.provinces[static_cast<std::size_t>(entry.first_token().subtoken())];
  if (!province.defined || !province.adjacency.empty()) return offset;

  for (int k = 1; k < entry.sub_message_count(); ++k) {
    const int list_offset = content_position(entry, k, offset);
    if (entry.sub_message_is_single_token(k)) return list_offset;
    const TokenMessage list = entry.sub_message(k);
    Token coast_key;
    Token unit_type;
    if (!read_list_key(list.sub_message(0), coast_key, unit_type) ||
        province.adjacency.count(coast_key) != 0) {
      return list_offset;
    }
    std::set<Location>& destinations = province.adjacency[coast_key];
    if (unit_type == tok::AMY) province.has_army_moves = true;

    for (int d = 1; d < list.sub_message_count(); ++d) {
      const TokenMessage place = list.sub_message(d);
      const int place_position = element_position(list, d, list_offset);
      Location location;
      if (place.is_single_token()) {
        location = Location{place.first_token().subtoken(), unit_type};
      } else if (place.length() == 2) {
        location = Location{place.token_at(0).subtoken(), place.token_at(1)};
      } else {
        return place_position;
      }
      // A move to a province the map lacks could only ever be refused.
      if (location.province >= province_count) return place_position;
      destinations.insert(location);
    }
  }
  return -1;
}

int read_adjacencies(BoardMap& map, const TokenMessage& entries, int offset) {
  for (int i = 0; i < entries.sub_message_count(); ++i) {
    const int fault =
        read_adjacency_entry(map, entries.sub_message(i), content_position(entries, i, offset));
    if (fault != -1) return fault;
  }
  return -1;
}

}  // namespace

int read_map(const TokenMessage& mdf, BoardMap& map) {
  if (mdf.sub_message_count() != 4 || !mdf.sub_message_is_single_token(0) ||
      mdf.first_token() != tok::MDF) {
    return 0;
  }
  int fault = read_powers(map, mdf.sub_message(1), content_position(mdf, 1, 0));
  if (fault == -1) fault = read_provinces(map, mdf.sub_message(2), content_position(mdf, 2, 0));
  if (fault == -1) fault = read_adjacencies(map, mdf.sub_message(3), content_position(mdf, 3, 0));
  return fault;
}

}  // namespace quorvel
