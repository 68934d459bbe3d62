#include "planning/unit_option_table.h"

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"
#include "valuation/province_valuation.h"

namespace quorvel {

bool UnitOption::isArmy() const {
  return location.coast == tok::AMY;
}

UnitOptionTable::UnitOptionTable(const GameBoard& game, const ProvinceValuation& valuation)
    : game_(game), valuation_(valuation) {}

void UnitOptionTable::rebuild() {
  options_.clear();
  const Token season = game_.season;
  const int adjustment = game_.adjustment_count;
  auto add = [this](int key, const Location& location, const UnitRecord& unit,
                    LocationSet candidates) {
    UnitOption option;
    option.location = location;
    option.power = unit.power;
    option.unit_type = unit.unit_type;
    option.candidates = std::move(candidates);
    options_[key] = std::move(option);
  };

  if (is_movement_season(season)) {
    for (const auto& [p, unit] : game_.units) {
      LocationSet moves = LocationSet::of(valuation_.adjacentLocations(unit.location));
      moves.insert(unit.location);
      add(p, unit.location, unit, std::move(moves));
    }
  } else if (is_retreat_season(season)) {
    for (const auto& [p, unit] : game_.dislodged_units) {
      const Location gone{leaving(p), unit.location.coast};
      LocationSet retreats = LocationSet::of(unit.retreat_options);
      retreats.insert(gone);
      add(gone.province, gone, unit, std::move(retreats));
    }
    for (const auto& [p, unit] : game_.units) {
      LocationSet hold;
      hold.insert(unit.location);
      add(p, unit.location, unit, std::move(hold));
    }
  } else if (season == tok::WIN && adjustment > 0) {
    for (const auto& [p, unit] : game_.units) {
      LocationSet choice;
      choice.insert(Location{leaving(p), Token()});
      choice.insert(unit.location);
      add(p, unit.location, unit, std::move(choice));
    }
  } else if (season == tok::WIN && adjustment < 0) {
    LocationSet sites;
    for (int h : game_.own_home_centres) {
      if (!valuation_.isOwnSupplyCentre(h) || game_.units.count(h) != 0) continue;
      for (const auto& [coast, destinations] :
           game_.provinces[static_cast<std::size_t>(h)].adjacency) {
        sites.insert(Location{h, coast});
      }
    }
    for (int i = 1; i <= -adjustment; ++i) {
      UnitOption slot;
      slot.location = Location{-i, Token()};
      slot.power = valuation_.ownPowerIndex();
      slot.candidates = sites;
      slot.candidates.insert(slot.location);
      options_[-i] = std::move(slot);
    }
  }
}

void UnitOptionTable::forbid(int power, const std::vector<bool>& provinces) {
  for (auto& entry : options_) {
    UnitOption& option = entry.second;
    if (option.power != power) continue;
    const Location own = option.location;
    option.candidates.erase_if([&](const Location& place) {
      return place != own && place.province >= 0 &&
             place.province < static_cast<int>(provinces.size()) &&
             provinces[static_cast<std::size_t>(place.province)];
    });
  }
}

void UnitOptionTable::evict(int key) {
  const auto found = options_.find(key);
  if (found == options_.end()) return;
  UnitOption& option = found->second;
  const Location own = option.location;
  if (option.candidates.size() > 1)
    option.candidates.erase_if([&](const Location& place) { return place == own; });
}

void UnitOptionTable::pin(int key, const Location& end) {
  const auto found = options_.find(key);
  if (found == options_.end()) return;
  LocationSet only;
  only.insert(end);
  found->second.candidates = std::move(only);
}

}  // namespace quorvel
