#include "rules/adjudicate_command.h"

#include <istream>
#include <ostream>
#include <string>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "rules/rules_game.h"
#include "rules/standard_map.h"

namespace quorvel::rules {

int run_adjudicate(std::istream& in, std::ostream& out, std::ostream& err) {
  RulesGame game;
  TokenMessage mdf;
  if (mdf.parse_text(standard_map_text()) != -1 || game.load_map(mdf) != -1) {
    err << "adjudicate: the built-in standard map does not load\n";
    return 2;
  }

  TokenMessage now;
  TokenMessage sco;
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    TokenMessage message;
    const int fault = message.parse_text(line);
    if (fault != -1) {
      err << "adjudicate: line " << number << ": cannot read the message at character " << fault
          << "\n";
      return 2;
    }
    const Token kind = message.first_token();
    if (now.is_empty()) {
      if (kind != tok::NOW) {
        err << "adjudicate: line " << number << ": the first message must be NOW\n";
        return 2;
      }
      now = message;
      continue;
    }
    if (sco.is_empty()) {
      if (kind != tok::SCO) {
        err << "adjudicate: line " << number << ": the second message must be SCO\n";
        return 2;
      }
      sco = message;
      const int position_fault = game.load_position(now, sco);
      if (position_fault != -1) {
        err << "adjudicate: the position does not fit the standard map (token " << position_fault
            << " of the NOW or SCO message)\n";
        return 2;
      }
      continue;
    }
    if (kind != tok::SUB) {
      err << "adjudicate: line " << number << ": only SUB messages may follow NOW and SCO\n";
      return 2;
    }
    for (int i = 1; i < message.sub_message_count(); ++i) {
      const TokenMessage order = message.sub_message(i);
      // The order's own power submits it: the unit's power, or the power that waives.
      const Token who = order.sub_message_is_single_token(0) ? order.token_at(0)
                                                             : order.sub_message(0).token_at(0);
      const Token note = game.submit(who.subtoken(), order);
      if (note == tok::MBV) continue;
      if (note == Token()) {
        err << "adjudicate: line " << number << ": not an order: " << printed_text(order) << "\n";
        return 2;
      }
      // Refused orders are reported as a server would, and play goes on without them.
      err << printed_text((tok::THX & order) & note) << "\n";
    }
  }
  if (sco.is_empty()) {
    err << "adjudicate: the input needs a NOW line and an SCO line\n";
    return 2;
  }

  const RulesGame::PhaseOutcome outcome = game.process();
  for (const TokenMessage& result : outcome.results)
    out << printed_text(result) << "\n";
  out << printed_text(game.position().sco_message(game.map())) << "\n";
  if (outcome.winner >= 0) {
    out << printed_text(tok::SLO & GameBoard::power_token(outcome.winner)) << "\n";
  } else {
    out << printed_text(game.position().now_message(game.map())) << "\n";
  }
  return 0;
}

}  // namespace quorvel::rules
