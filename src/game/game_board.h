#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/board_map.h"
#include "game/board_position.h"
#include "game/location.h"
#include "protocol/token.h"
#include "protocol/token_message.h"
#include "protocol/token_text_table.h"

namespace quorvel {

// The bot's model of the game: the map, the position and the orders of the turn. Readers
// use the fields directly. Operations that read messages answer -1, or the token position
// of the first fault within the whole message; no message makes them index outside the
// board's arrays.
class GameBoard : public BoardMap, public BoardPosition {
 public:
  // Map definition.
  int set_map(const TokenMessage& mdf);
  // Back to no map, as before the first MDF: position messages are then ignored.
  void forget_map();
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
  // The powers' tokens in a row, to be appended as one bracketed element.
  static TokenMessage power_tokens(const std::vector<int>& powers) {
    TokenMessage list;
    for (int power : powers)
      list = list + power_token(power);
    return list;
  }

  std::string map_name;

  // The texts place names are printed with: the standard ones, or a bot's own.
  const TokenTextTable* tokens = &TokenTextTable::standard();

  // Position.
  Token own_power;
  int passcode = 0;
  bool game_over = false;
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
  UnitRecord* find_unit(int province);
  TokenMessage unit_text(const UnitRecord& unit) const;
  TokenMessage location_message(const Location& location) const;
  TokenMessage order_text(const UnitRecord& unit) const;
};

}  // namespace quorvel
