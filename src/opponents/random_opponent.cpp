#include "opponents/random_opponent.h"

#include <algorithm>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel::opponents {

namespace {

using namespace tok;
using rules::location_message;
using rules::unit_message;

template <typename T>
const T& pick(const std::vector<T>& items, std::mt19937& rng) {
  return items[rng() % items.size()];
}

}  // namespace

std::vector<TokenMessage> random_orders(const rules::RulesGame& game, int power,
                                        std::mt19937& rng) {
  const rules::RulesMap& map = game.map();
  const rules::Position& position = game.position();
  std::vector<TokenMessage> orders;
  const Token season = game.season();

  if (is_movement_season(season)) {
    for (const auto& [p, unit] : position.units) {
      if (unit.power != power) continue;
      const TokenMessage self = unit_message(map, unit).enclose();
      const std::vector<Location> moves(map.moves(unit.location).begin(),
                                        map.moves(unit.location).end());
      const unsigned choice = rng() % 10;
      if (choice < 2 || moves.empty()) {
        orders.push_back(self + HLD);
      } else if (choice < 6) {
        orders.push_back(self + MTO + location_message(map, pick(moves, rng)));
      } else if (choice < 9) {
        // Support a neighbour to hold, or into a province both can reach.
        std::vector<int> neighbours;
        for (const Location& to : moves) {
          if (position.units.count(to.province)) neighbours.push_back(to.province);
        }
        if (neighbours.empty()) {
          orders.push_back(self + HLD);
          continue;
        }
        const rules::Unit& other = position.units.at(pick(neighbours, rng));
        const TokenMessage them = unit_message(map, other).enclose();
        std::vector<int> shared;
        for (const Location& to : map.moves(other.location)) {
          if (map.reaches(unit.location, to.province) && to.province != p)
            shared.push_back(to.province);
        }
        if (shared.empty() || rng() % 2 == 0) {
          orders.push_back(self + SUP + them);
        } else {
          orders.push_back(self + SUP + them + MTO + map.token(pick(shared, rng)));
        }
      } else if (unit.type == AMY && map.coastal(p)) {
        // By convoy through a neighbouring sea that holds a fleet of the power.
        for (const Location& sea_place : map.moves(Location{p, FLT})) {
          const auto fleet = position.units.find(sea_place.province);
          if (!map.sea(sea_place.province) || fleet == position.units.end() ||
              fleet->second.power != power || fleet->second.type != FLT) {
            continue;
          }
          std::vector<int> landings;
          for (const Location& to : map.moves(fleet->second.location)) {
            if (map.coastal(to.province) && to.province != p) landings.push_back(to.province);
          }
          if (landings.empty()) break;
          const int to = pick(landings, rng);
          orders.push_back(self + CTO + map.token(to) + VIA +
                           TokenMessage(map.token(sea_place.province)).enclose());
          orders.push_back(unit_message(map, fleet->second).enclose() + CVY + self + CTO +
                           map.token(to));
          break;
        }
      } else {
        orders.push_back(self + HLD);
      }
    }
  } else if (is_retreat_season(season)) {
    for (const auto& [p, entry] : position.dislodged) {
      if (entry.unit.power != power) continue;
      const TokenMessage self = unit_message(map, entry.unit).enclose();
      const std::vector<Location> options(entry.retreats.begin(), entry.retreats.end());
      if (options.empty() || rng() % 5 == 0) {
        orders.push_back(self + DSB);
      } else {
        orders.push_back(self + RTO + location_message(map, pick(options, rng)));
      }
    }
  } else if (season == WIN) {
    const int surplus = position.centre_count(map, power) - position.unit_count(power);
    const Token who = GameBoard::power_token(power);
    if (surplus > 0) {
      std::vector<int> homes;
      for (int h : map.home_centres(power)) {
        if (position.owners[static_cast<std::size_t>(h)] == who && !position.units.count(h))
          homes.push_back(h);
      }
      std::shuffle(homes.begin(), homes.end(), rng);
      for (int i = 0; i < surplus; ++i) {
        if (i >= static_cast<int>(homes.size()) || rng() % 4 == 0) {
          orders.push_back(who + WVE);
          continue;
        }
        const int h = homes[static_cast<std::size_t>(i)];
        std::vector<Location> kinds;
        if (map.land(h)) kinds.push_back(Location{h, AMY});
        for (Token key : map.fleet_keys(h))
          kinds.push_back(Location{h, key});
        const Location where = pick(kinds, rng);
        const rules::Unit unit{power, where.coast == AMY ? AMY : FLT, where};
        orders.push_back(unit_message(map, unit).enclose() + BLD);
      }
    } else if (surplus < 0) {
      std::vector<rules::Unit> mine;
      for (const auto& [p, unit] : position.units) {
        if (unit.power == power) mine.push_back(unit);
      }
      std::shuffle(mine.begin(), mine.end(), rng);
      // Sometimes too few: civil disorder takes the rest.
      const int ordered =
          rng() % 3 == 0 ? static_cast<int>(rng() % static_cast<unsigned>(-surplus)) : -surplus;
      for (int i = 0; i < ordered; ++i) {
        orders.push_back(unit_message(map, mine[static_cast<std::size_t>(i)]).enclose() + REM);
      }
    }
  }
  return orders;
}

}  // namespace quorvel::opponents
