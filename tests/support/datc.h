#pragma once

#include <set>
#include <string>
#include <vector>

#include "protocol/token_message.h"
#include "rules/rules_game.h"
#include "support/messages.h"

namespace quorvel::testing {

// A game on the standard map set up and ordered in the notation of the adjudicator test
// cases, with DAIDE abbreviations: "ENG: F NTH - PIC", "FRA: A BUR S A PAR - MAR",
// "ENG: F NTH C A LON - BEL", "ENG: A LON - BEL via NTH" (or "via convoy" for any route
// of fleets at sea), "A PIC R BEL", "F NTH D", "GER: build A BER", "remove A PAR",
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

  // After processing: whether the unit stands there; the result of its order (first
  // token), and whether it was dislodged.
  bool has(const std::string& unit) const;
  Token result(const std::string& unit) const;
  bool dislodged(const std::string& unit) const;
  std::set<std::string> retreats(const std::string& unit) const;
  Token season() const { return game.season(); }

  rules::RulesGame game;
  std::vector<TokenMessage> last_results;

 private:
  TokenMessage order_message(const std::string& text) const;
};

}  // namespace quorvel::testing
