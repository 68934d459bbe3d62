// The map: powers, provinces with their centres and home centres, and adjacencies.
#include "game/board_map.h"

#include <algorithm>

#include "game/message_positions.h"
#include "protocol/tokens.h"

namespace quorvel {

namespace {

// Where a fault is, and in words, for those who show it to people.
int fault(std::string* why, int position, const char* reason) {
  if (why != nullptr) *why = reason;
  return position;
}

// Any distinct powers: a variant for two powers names AUS and FRA, indexes 0 and 2.
int read_powers(BoardMap& map, const TokenMessage& powers, int offset, std::string* why) {
  map.powers.reset();
  map.power_count = 0;
  for (int i = 0; i < powers.length(); ++i) {
    const int index = powers.token_at(i).subtoken();
    if (map.powers.test(static_cast<std::size_t>(index)))
      return fault(why, offset + i, "a power named twice in the power list");
    map.powers.set(static_cast<std::size_t>(index));
    map.power_count = std::max(map.power_count, index + 1);
  }
  return -1;
}

int read_centre_entry(BoardMap& map, const TokenMessage& entry, int offset, std::string* why) {
  auto& provinces = map.provinces;
  std::set<int> home_powers;
  Token owner = tok::UNO;
  auto take_power = [&](Token power, int position) {
    if (!map.has_power(power.subtoken()))
      return fault(why, position, "a home centre of a power not in the power list");
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
          return fault(why, position, "a group of home powers holding something else");
        }
        const int at = take_power(power, content_position(group, g, position));
        if (at != -1) return at;
      }
      continue;
    }
    const Token token = entry.token_at(entry.sub_message_start(i));
    if (token.category() == CATEGORY_POWER) {
      const int at = take_power(token, position);
      if (at != -1) return at;
    } else if (token == tok::UNO) {
      continue;
    } else if (token.is_province()) {
      MapProvince& province = provinces[static_cast<std::size_t>(token.subtoken())];
      if (province.defined) return fault(why, position, "a province defined twice");
      province.token = token;
      province.defined = true;
      province.is_supply_centre = true;
      province.home_powers = home_powers;
      province.owner = owner;
    } else {
      return fault(why, position, "neither a power nor a province in a supply centre list");
    }
  }
  return -1;
}

int read_provinces(BoardMap& map, const TokenMessage& lists, int offset, std::string* why) {
  auto& provinces = map.provinces;
  int& province_count = map.province_count;
  for (MapProvince& province : provinces)
    province = MapProvince{};

  const TokenMessage centres = lists.sub_message(0);
  const int centres_offset = content_position(lists, 0, offset);
  for (int i = 0; i < centres.sub_message_count(); ++i) {
    const int at = read_centre_entry(map, centres.sub_message(i),
                                     content_position(centres, i, centres_offset), why);
    if (at != -1) return at;
  }

  // Some servers leave out an empty non-centres list.
  const TokenMessage others =
      lists.sub_message_count() == 1 ? TokenMessage() : lists.sub_message(1);
  const int others_offset = content_position(lists, 1, offset);
  for (int i = 0; i < others.sub_message_count(); ++i) {
    const Token token = others.token_at(others.sub_message_start(i));
    if (others.sub_message_is_single_token(i) && token == tok::UNO) continue;
    if (!others.sub_message_is_single_token(i) || !token.is_province()) {
      return fault(why, element_position(others, i, others_offset),
                   "not a province in the list of non-centres");
    }
    if (provinces[static_cast<std::size_t>(token.subtoken())].defined) {
      return fault(why, element_position(others, i, others_offset), "a province defined twice");
    }
    MapProvince& province = provinces[static_cast<std::size_t>(token.subtoken())];
    province.token = token;
    province.defined = true;
    province.owner = tok::UNO;
  }

  // Tokens may leave gaps: a variant names the provinces it has of a larger set.
  province_count = 0;
  for (int p = 0; p < kMaxProvinces; ++p) {
    if (provinces[static_cast<std::size_t>(p)].defined) province_count = p + 1;
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

int read_adjacency_entry(BoardMap& map, const TokenMessage& entry, int offset, std::string* why) {
  if (!entry.sub_message_is_single_token(0))
    return fault(why, offset, "an adjacency entry that does not start with its province");
  MapProvince& province = map.provinces[static_cast<std::size_t>(entry.first_token().subtoken())];
  if (!province.defined)
    return fault(why, offset, "adjacencies of a province the province lists do not define");
  if (!province.adjacency.empty())
    return fault(why, offset, "a second adjacency entry for one province");

  for (int k = 1; k < entry.sub_message_count(); ++k) {
    const int list_offset = content_position(entry, k, offset);
    if (entry.sub_message_is_single_token(k))
      return fault(why, list_offset, "an adjacency list that is a single token");
    const TokenMessage list = entry.sub_message(k);
    Token coast_key;
    Token unit_type;
    if (!read_list_key(list.sub_message(0), coast_key, unit_type) ||
        province.adjacency.count(coast_key) != 0) {
      return fault(why, list_offset,
                   "an adjacency list whose unit type or coast is unknown or repeated");
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
        return fault(why, place_position, "a destination that is neither a province nor a coast");
      }
      // A move to a province the map lacks could only ever be refused.
      if (!map.on_map(location.province))
        return fault(why, place_position, "a destination that is not a province of the map");
      destinations.insert(location);
    }
  }
  return -1;
}

int read_adjacencies(BoardMap& map, const TokenMessage& entries, int offset, std::string* why) {
  for (int i = 0; i < entries.sub_message_count(); ++i) {
    const int at = read_adjacency_entry(map, entries.sub_message(i),
                                        content_position(entries, i, offset), why);
    if (at != -1) return at;
  }
  return -1;
}

}  // namespace

int read_map(const TokenMessage& mdf, BoardMap& map, std::string* why) {
  if (mdf.sub_message_count() != 4 || !mdf.sub_message_is_single_token(0) ||
      mdf.first_token() != tok::MDF) {
    return fault(why, 0, "not MDF with powers, provinces and adjacencies");
  }
  int at = read_powers(map, mdf.sub_message(1), content_position(mdf, 1, 0), why);
  if (at == -1) at = read_provinces(map, mdf.sub_message(2), content_position(mdf, 2, 0), why);
  if (at == -1) at = read_adjacencies(map, mdf.sub_message(3), content_position(mdf, 3, 0), why);
  return at;
}

}  // namespace quorvel
