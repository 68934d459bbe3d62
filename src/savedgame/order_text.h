#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "game/location.h"
#include "game/order_kind.h"
#include "protocol/token_message.h"
#include "rules/order.h"
#include "rules/position.h"
#include "rules/rules_map.h"

namespace quorvel::savedgame {

// The names a saved game gives the map's powers and places: "FRANCE", "PAR", "STP/SC",
// "A PAR", "F SPA/NC".
class MapNames {
 public:
  explicit MapNames(const rules::RulesMap& map);

  // "FRANCE" for FRA; a power of another token set by its token's text.
  const std::string& power(int power) const;
  // -1 for a name that is no power of the map.
  int power(std::string_view name) const;

  const rules::RulesMap& map() const { return map_; }
  // The field's name, which is the token's but for three seas: ENG, BOT, LYO.
  const std::string& province(int p) const;
  std::string location(const Location& location) const;
  // "A PAR" or "F STP/SC": the army or fleet token and where it stands.
  std::string unit(Token type, const Location& location) const;

  // -1 for a name that is no province of the map.
  int province(std::string_view name) const;
  // "STP/SC" for a fleet, "PAR" for either; none for what the map does not have.
  std::optional<Location> location(std::string_view text, Token type) const;

 private:
  const rules::RulesMap& map_;
  // Named once: a game names its places over and over.
  std::vector<std::string> provinces_;
  std::vector<std::string> powers_;
  std::vector<std::pair<std::string, int>> by_name_;  // sorted
};

// A unit as an order names it.
struct TextUnit {
  Token type;  // AMY or FLT
  Location location;
};

// An order as text reads: what the unit does and to what; checked against the map's
// names only (an order may be void in its game and still read).
struct TextOrder {
  OrderKind kind = OrderKind::kHold;
  TextUnit unit;                   // none for a waive
  std::optional<TextUnit> other;   // the supported or convoyed unit
  std::optional<Location> target;  // a move's, retreat's or supported/convoyed move's end
  bool via = false;                // a move by convoy
};

// Reads "A PAR" or "F STP/SC"; none, with the reason in why, for what is no unit here.
std::optional<TextUnit> read_unit(const MapNames& names, std::string_view text,
                                  std::string* why = nullptr);
// Reads "A PAR - BUR", "F NTH C A YOR - NWY", "WAIVE" and the rest; none, with the reason
// in why, for text that is no order on this map.
std::optional<TextOrder> read_order(const MapNames& names, std::string_view text,
                                    std::string* why = nullptr);
std::string order_text(const MapNames& names, const TextOrder& order);

// An order the rules took, in the position it was given in (where the units it supports or
// convoys stand).
TextOrder text_order(const rules::Order& order, const rules::Position& position);

// The order in the client's syntax for the power, to submit in the position (a "D" of
// adjustments is a removal): a move by convoy takes its
// seas from the chain of convoying fleets among the phase's other orders (none found: over
// land when it borders its target, else no seas, and the rules refuse it).
TokenMessage order_message(const MapNames& names, const rules::Position& position, int power,
                           const TextOrder& order, const std::vector<TextOrder>& phase_orders);

}  // namespace quorvel::savedgame
