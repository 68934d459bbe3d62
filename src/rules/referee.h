#pragma once

#include <string>
#include <vector>

#include "game/agreements.h"
#include "protocol/press.h"
#include "protocol/token_message.h"
#include "rules/rules_game.h"

namespace quorvel::rules {

struct Breach {
  int power = -1;     // who broke it
  int agreement = 0;  // its id
  std::vector<int> parties;
  TokenMessage arrangement;
  TokenMessage order;  // the order that broke it
};

// What a power's agreements forbid it in the current phase, by province.
using Restrictions = Obligations;

// The order as agreements judge it.
OrderFacts facts_of(const Order& order);
// Who holds each province in the game's position.
Holdings holdings_of(const RulesGame& game);
// Whether the province holds a unit of the power or is a supply centre it owns.
bool held_by(const RulesGame& game, int power, int province);

// The referee of agreements: it sees all press as the host delivers it, keeps the game's
// agreements (see AgreementLedger) and checks the orders of every phase against those in
// force. It enforces nothing; it only finds and counts.
class Referee {
 public:
  explicit Referee(int powers) : ledger_(powers), broken_(static_cast<std::size_t>(powers)) {}

  // Press that the host delivered from the sender to the recipients.
  void on_press(int sender, const std::vector<int>& recipients, const press::PressMessage& press) {
    ledger_.on_press(sender, recipients, press);
  }
  // Before the game's phase is processed: the breaches of the orders given.
  std::vector<Breach> check(const RulesGame& game);
  // After a phase of the season was processed.
  void close_phase(Token season) { ledger_.close_phase(season); }
  // The power was eliminated in the phase just processed.
  void remove_party(int power) { ledger_.remove_party(power); }

  const std::vector<Agreement>& agreements() const { return ledger_.agreements(); }
  const std::vector<Breach>& breaches() const { return breaches_; }
  bool at_peace(int a, int b) const { return ledger_.at_peace(a, b); }
  Restrictions restrictions(int power, const RulesGame& game) const;
  int made(int power) const { return ledger_.made(power); }
  int broken(int power) const { return broken_[static_cast<std::size_t>(power)]; }
  // What happened since the last call, a line each, for the game's record.
  std::vector<std::string> take_events() { return ledger_.take_events(); }

 private:
  AgreementLedger ledger_;
  std::vector<Breach> breaches_;
  std::vector<int> broken_;
};

}  // namespace quorvel::rules
