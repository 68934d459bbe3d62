#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "protocol/press.h"
#include "protocol/token_message.h"
#include "rules/rules_game.h"

namespace quorvel::rules {

// An arrangement every party agreed to, in force until a party ends it or breaks it.
struct Agreement {
  int id = 0;
  press::Arrangement arrangement;  // its lists in token order, so that equal ones compare equal
  std::vector<int> parties;        // the proposer and each power that had to say YES
  // A party said it no longer holds: it binds until the phase now running is processed.
  bool ending = false;
  bool broken = false;  // ends too once the phase is processed
  // The kinds of phase (movement, retreat, adjustment) already processed since it was made:
  // a promised order is due in the first phase of its kind, and only then.
  std::array<bool, 3> phases_done{};
};

struct Breach {
  int power = -1;     // who broke it
  int agreement = 0;  // its id
  std::vector<int> parties;
  TokenMessage arrangement;
  TokenMessage order;  // the order that broke it
};

// What a power's agreements forbid it in the current phase, by province.
struct Restrictions {
  std::vector<bool> no_attack;  // at peace: no move into it, no support of a move into it
  std::vector<bool> no_entry;   // demilitarised: no move, retreat or build into it
};

// Whether the province holds a unit of the power or is a supply centre it owns: what a
// peace with the power keeps others out of.
bool held_by(const RulesGame& game, int power, int province);

// The referee of agreements: it sees all press as the host delivers it, knows what has
// been agreed and what has ended, and checks the orders of every phase against the
// agreements in force. It enforces nothing; it only finds and counts.
//
// A proposal is agreed once every recipient it names has said YES (every recipient, when
// it names none); its parties are the proposer and those recipients. PRP (NOT (x)) or
// FCT (NOT (x)) from a party ends x once the phase in which it was said is processed, as
// does a breach. A proposal not agreed by the end of the next movement phase lapses.
class Referee {
 public:
  explicit Referee(int powers);

  // Press that the host delivered from the sender to the recipients.
  void on_press(int sender, const std::vector<int>& recipients, const press::PressMessage& press);
  // Before the game's phase is processed: the breaches of the orders given.
  std::vector<Breach> check(const RulesGame& game);
  // After a phase of the season was processed: agreements ended or broken go, promises due
  // in it are settled, proposals lapse.
  void close_phase(Token season);

  const std::vector<Agreement>& agreements() const { return agreements_; }
  const std::vector<Breach>& breaches() const { return breaches_; }
  // Whether a peace or alliance binds the two powers to each other now.
  bool at_peace(int a, int b) const;
  Restrictions restrictions(int power, const RulesGame& game) const;
  int made(int power) const { return made_[static_cast<std::size_t>(power)]; }
  int broken(int power) const { return broken_[static_cast<std::size_t>(power)]; }
  // What happened since the last call, a line each, for the game's record.
  std::vector<std::string> take_events();

 private:
  struct Proposal {
    int proposer = -1;
    press::Arrangement arrangement;
    TokenMessage printed;
    std::set<int> required;
    std::set<int> accepted;
    int movement_phases = 0;  // closed when it was made
  };

  void propose(int sender, const std::vector<int>& recipients, const press::Arrangement& a);
  void accept(int sender, const std::vector<int>& recipients, const press::Arrangement& a);
  void refuse(int sender, const std::vector<int>& recipients, const press::Arrangement& a);
  void end(int power, const press::Arrangement& a);
  void agree(const Proposal& proposal);
  std::string describe(const Agreement& agreement) const;

  int powers_;
  std::vector<Proposal> proposals_;
  std::vector<Agreement> agreements_;
  std::vector<Breach> breaches_;
  std::vector<int> made_;
  std::vector<int> broken_;
  std::vector<std::string> events_;
  int next_id_ = 1;
  int movement_phases_ = 0;
};

}  // namespace quorvel::rules
