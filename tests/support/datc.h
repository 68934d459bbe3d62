#pragma once

#include <set>
#include <string>
#include <vector>

#include "protocol/token.h"
#include "protocol/token_message.h"
#include "rules/rules_game.h"
#include "support/messages.h"

namespace quorvel::testing {

// A game on the standard map set up and ordered in the notation of the adjudicator test
// cases, with DAIDE abbreviations: "ENG: F NTH - PIC", "FRA: A BUR S A PAR - MAR",
// "ENG: F NTH C A LON - BEL", "ENG: A LON - BEL via NTH", "A PIC R BEL", "F NTH D",
// "GER: build A BER", "remove A PAR",
// "RUS: waive". Coasts are written F SPA/NC, /SC, /EC.
class Datc {
 public:
  // Units as "ENG: F NTH, A LON; FRA: A PAR"; centres owned as at the start of a game
  // unless given as "GER: BER KIE MUN; RUS: WAR".
  Datc(const std::string& season, const std::string& units, const std::string& centres = "");

  // The note the order gets when submitted.
  Token order(const std::string& text);
  // Submits orders that must all be taken.
  void orders(const std::vector<std::string>& texts);
  void process();

  // The units as "ENG: F NTH", the dislodged ones as "ENG: A YOR -> EDI LVP" (their
  // retreats by name).
  std::set<std::string> position_lines() const;
  // After processing: the result of the unit's order, as "BNC RET".
  std::string result(const std::string& unit) const;
  Token season() const { return game.season(); }

  // The order a text stands for, as its power would submit it.
  TokenMessage order_message(const std::string& text) const;

  rules::RulesGame game;
  std::vector<TokenMessage> last_results;
};

}  // namespace quorvel::testing
