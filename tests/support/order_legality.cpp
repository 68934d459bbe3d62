#include "support/order_legality.h"

#include <map>
#include <set>

#include "protocol/tokens.h"
#include "rules/rules_game.h"
#include "support/messages.h"

namespace quorvel::testing {

namespace {

using namespace tok;

// The province an order's unit, or a unit of an order, stands in.
int province_of(const TokenMessage& unit) {
  const TokenMessage place = unit.sub_message(2);
  return (place.is_single_token() ? place.first_token() : place.token_at(0)).subtoken();
}

// The target province of a move (MTO, CTO) or retreat; -1 for other orders.
int target_of(const TokenMessage& order) {
  const Token kind = order.token_at(order.sub_message_start(1));
  if (kind != MTO && kind != CTO && kind != RTO) return -1;
  const TokenMessage place = order.sub_message(2);
  return (place.is_single_token() ? place.first_token() : place.token_at(0)).subtoken();
}

}  // namespace

std::vector<std::string> order_faults(const TokenMessage& now, const TokenMessage& sco, Token power,
                                      const TokenMessage& submission, const TokenMessage& mdf) {
  std::vector<std::string> faults;
  if (submission.first_token() != SUB) return {"not a SUB message"};
  rules::RulesGame game;
  if (game.load_map(mdf.is_empty() ? standard_map_message() : mdf) != -1 ||
      game.load_position(now, sco) != -1)
    return {"position not readable"};

  std::map<int, TokenMessage> by_unit;  // the orders of units, by their province
  for (int i = 1; i < submission.sub_message_count(); ++i) {
    const TokenMessage order = submission.sub_message(i);
    const Token note = game.submit(power.subtoken(), order);
    if (note != MBV) faults.push_back(printed_text(TokenMessage(note)) + ": " + order.to_text());
    if (order.sub_message_is_single_token(0)) continue;  // a waive
    if (!by_unit.emplace(province_of(order.sub_message(0)), order).second)
      faults.push_back("unit ordered twice: " + order.to_text());
  }
  if (game.orders_missing(power.subtoken()))
    faults.push_back("orders missing: " + game.missing_message(power.subtoken()).to_text());

  std::set<int> retreat_targets;
  for (const auto& [province, order] : by_unit) {
    const Token kind = order.token_at(order.sub_message_start(1));
    if (kind == RTO && !retreat_targets.insert(target_of(order)).second)
      faults.push_back("two retreats into one province: " + order.to_text());
    const bool moves_own_unit = (kind == SUP && order.sub_message_count() == 5) || kind == CVY;
    if (moves_own_unit && order.sub_message(2).first_token() == power) {
      // The supported or convoyed unit is the bot's own: it must make that move.
      const auto moved = by_unit.find(province_of(order.sub_message(2)));
      const int target = order.sub_message(4).first_token().subtoken();
      const Token wanted = kind == CVY ? CTO : Token();
      const bool made = moved != by_unit.end() && target_of(moved->second) == target &&
                        (wanted == Token() ||
                         moved->second.token_at(moved->second.sub_message_start(1)) == wanted);
      if (!made) faults.push_back("the move it helps is not ordered: " + order.to_text());
    }
    if (kind == CTO) {
      const TokenMessage path = order.sub_message(4);
      for (int i = 0; i < path.length(); ++i) {
        const auto fleet = by_unit.find(path.token_at(i).subtoken());
        const bool convoys = fleet != by_unit.end() &&
                             fleet->second.token_at(fleet->second.sub_message_start(1)) == CVY &&
                             province_of(fleet->second.sub_message(2)) == province;
        if (!convoys) faults.push_back("a fleet of the path does not convoy: " + order.to_text());
      }
    }
  }
  return faults;
}

}  // namespace quorvel::testing
