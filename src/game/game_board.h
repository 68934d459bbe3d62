#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

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

// Order kinds stored in UnitRecord::order.
enum OrderKind : int {
  kNoOrder = 0,
  kHold = 1,
  kMove = 2,
  kSupportHold = 3,
  kSupportMove = 4,
  kConvoy = 5,
  kMoveByConvoy = 6,
  kRetreat = 7,
  kDisband = 8,
};

struct UnitRecord {
  Location location;
  int power = 0;
  Token unit_type;
  int order = kNoOrder;
  Location destination;
  int other_unit = 0;
  int target = 0;
  std::vector<int> convoy_path;
  std::set<Location> retreat_options;
};

// The bot's model of the game: the map, the position and the orders of the turn. Readers
// use the fields directly. Operations that read messages answer -1, or the token position
// of the first fault within the whole message; no message makes them index outside the
// board's arrays.
class GameBoard {
 public:
  static GameBoard& instance();

  // Map definition.
  int set_map(const TokenMessage& mdf);
  std::string province_text(int province) const;
  std::string location_text(const Location& location) const;

  // Position.
  void set_own_power(Token power);
  int set_position(const TokenMessage& now);
  int set_centres(const TokenMessage& sco);

  // Orders; the unit setters answer false, changing nothing, when no unit stands there.
  bool order_hold(int province);
  bool order_move(int province, const Location& destination);
  bool order_support_hold(int province, int supported);
  bool order_support_move(int province, int supported, int target);
  bool order_convoy(int province, int army, int target);
  bool order_move_by_convoy(int province, int target, int n, const int* path);
  bool order_retreat(int province, const Location& destination);
  bool order_disband(int province);
  void order_build(const Location& location);
  bool order_remove(int province);
  void add_waives(int n);
  TokenMessage build_submission() const;

  static Token power_token(int power_index) { return Token(CATEGORY_POWER, power_index); }
  bool has_map() const { return province_count >= 0; }

  // Map.
  std::array<MapProvince, kMaxProvinces> provinces;
  int province_count = -1;
  int power_count = -1;
  std::string map_name;

  // Position.
  Token own_power;
  int passcode = 0;
  bool game_over = false;
  Token season;
  int year = 0;
  std::map<int, UnitRecord> units;
  std::map<int, UnitRecord> dislodged_units;
  std::set<int> own_home_centres;
  std::set<int> own_units;
  std::set<int> own_dislodged_units;
  std::set<int> own_centres;
  std::set<int> buildable_home_centres;
  int adjustment_count = 0;

  // Winter orders.
  std::set<Location> adjustment_orders;
  bool adjustment_orders_are_builds = false;
  int waive_count = 0;

 private:
  int read_powers(const TokenMessage& powers, int offset);
  int read_provinces(const TokenMessage& lists, int offset);
  int read_centre_entry(const TokenMessage& entry, int offset);
  int read_adjacencies(const TokenMessage& entries, int offset);
  int read_adjacency_entry(const TokenMessage& entry, int offset);
  // Answers -1, or the fault position; a dislodged unit is stored even after a fault in
  // its retreat options.
  int read_unit(const TokenMessage& unit, int offset);

  UnitRecord* find_unit(int province);
  TokenMessage unit_text(const UnitRecord& unit) const;
  TokenMessage location_message(const Location& location) const;
  TokenMessage order_text(const UnitRecord& unit) const;
};

}  // namespace quorvel
