#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "game/order_facts.h"
#include "protocol/press.h"
#include "protocol/token.h"
#include "protocol/token_message.h"

namespace quorvel {

// Who holds each province as a phase begins: the power of the unit standing there, and
// the power owning the supply centre there (-1 for none).
struct Holdings {
  std::vector<int> unit_owner;
  std::vector<int> centre_owner;

  // A province holding the power's unit or its supply centre: what a peace with it keeps
  // others out of.
  bool held_by(int power, int province) const;
};

enum class PhaseKind { kMovement = 0, kRetreat = 1, kAdjustment = 2 };
PhaseKind phase_kind(Token season);
// The kinds of phase processed since something was said: a promised order is due in the
// first phase of its kind after it was proposed.
using PhasesDone = std::array<bool, 3>;

// An arrangement as the ledger judges it: powers and provinces by index, a promised order
// read once.
struct Terms {
  press::ArrangementKind kind = press::ArrangementKind::kDraw;
  std::vector<int> powers;
  std::vector<int> against;
  std::vector<int> provinces;
  std::optional<OrderFacts> order;  // XDO's; none when it does not read as an order
  std::vector<Terms> parts;
};
Terms terms_of(const press::Arrangement& arrangement);

// An arrangement every party agreed to, in force until a party ends it or breaks it, or a
// later agreement contradicts it.
struct Agreement {
  int id = 0;
  press::Arrangement arrangement;  // its lists in token order, so that equal ones compare equal
  Terms terms;
  std::vector<int> parties;  // the proposer and each power that had to say YES
  // A party said it no longer holds: it binds until the phase now running is processed.
  bool ending = false;
  bool broken = false;  // ends too once the phase is processed
  // Counted from when it was proposed, so that one accepted late binds what it would
  // have bound had it been accepted at once.
  PhasesDone phases_done{};

  bool binds(int power) const;
};

// A proposal waiting for its recipients' YES.
struct Proposal {
  int proposer = -1;
  press::Arrangement arrangement;
  Terms terms;
  TokenMessage printed;
  std::set<int> required;
  std::set<int> accepted;
  PhasesDone phases_done{};
  // Whether it was made in a movement phase: known once the phase it was made in is
  // processed. It lapses at the end of the next movement phase.
  std::optional<bool> made_in_movement;
  int movement_phases_closed = 0;
  // Its proposer no longer waits for it and said so. A YES sent before it heard that may
  // still make the agreement, so it binds the proposer's orders of the phase all the same.
  bool withdrawn = false;
  // Made in the phase now running.
  bool current() const { return !made_in_movement.has_value(); }
};

// What a power's agreements ask of it in the current phase, by province.
struct Obligations {
  std::vector<bool> no_attack;  // at peace: no move into it, no support of a move into it
  // The partners (a bit each) whose unit or centre it is: a support of one of their own
  // moves into it is no attack.
  std::vector<std::uint64_t> protected_by;
  // Demilitarised: no move, retreat, build, support or convoy into it, and no unit of the
  // power's left standing in it.
  std::vector<bool> no_entry;
  std::vector<OrderFacts> promised;  // orders it promised for this phase
};

// One way a party broke an agreement: the index of its order that broke it, or -1 when
// there is no such order (a promised order not given, or a unit left standing in a
// demilitarised zone without one); unit is then the unit's province.
struct Violation {
  int order = -1;
  int unit = -1;
};

// The agreements of a game as press shows them, the same for the host's referee (which
// sees all press) and for a player (which sees its own). A proposal is agreed once every
// recipient it names has said YES (every recipient, when it names none); its parties are
// the proposer and those recipients. CCL withdraws a proposal, or a recipient's YES while
// others have still to answer; REJ, BWX or HUH of it ends it, and one not agreed by the
// end of the next movement phase lapses. PRP (NOT (x)) or FCT (NOT (x)) from a party ends
// x once the phase in which it was said is processed, as a breach does; a new agreement
// that contradicts one in force ends that one at once.
class AgreementLedger {
 public:
  explicit AgreementLedger(int powers);

  // Press from the sender to the recipients, as delivered.
  void on_press(int sender, const std::vector<int>& recipients, const press::PressMessage& press);
  // After a phase of the season was processed: agreements ended or broken go, promises due
  // in it are settled, proposals lapse.
  void close_phase(Token season);
  // The agreement (by id) was broken in this phase.
  void mark_broken(int id);
  // The power is out of the game: it is no party to anything any more, and an agreement
  // left with one party ends.
  void remove_party(int power);
  // The power no longer waits for its proposals not yet agreed; a YES to one that comes all
  // the same still makes the agreement (it may have been sent first). With a recipient
  // given, only the proposals that wait for its answer.
  void withdraw_proposals(int power, std::optional<int> recipient = std::nullopt);

  const std::vector<Agreement>& agreements() const { return agreements_; }
  const std::vector<Proposal>& proposals() const { return proposals_; }
  // Whether a peace or alliance binds the two powers to each other now.
  bool at_peace(int a, int b) const;
  // Whether the arrangement (its lists in any order) is agreed and binds the party, and
  // not ending.
  bool agreed(const press::Arrangement& arrangement, int party) const;
  // Whether the power proposed the arrangement and waits for the answers.
  bool proposed(const press::Arrangement& arrangement, int power) const;
  // The agreements in force that the arrangement, agreed by the parties, would end.
  std::vector<int> contradicted_by(const press::Arrangement& arrangement,
                                   const std::vector<int>& parties) const;
  // What binds the power in a phase of the kind; with its own proposals of this phase
  // counted as agreed when asked, withdrawn or not, so that orders given before the answers
  // come keep them too.
  Obligations obligations(int power, PhaseKind kind, const Holdings& holdings,
                          bool own_proposals = false) const;
  int made(int power) const { return made_[static_cast<std::size_t>(power)]; }
  // What happened since the last call, a line each, for a record or a trace.
  std::vector<std::string> take_events();
  void note(std::string event) { events_.push_back(std::move(event)); }

 private:
  void propose(int sender, const std::vector<int>& recipients, const press::Arrangement& a);
  void accept(int sender, const std::vector<int>& recipients, const press::Arrangement& a);
  void refuse(int sender, const std::vector<int>& recipients, const press::Arrangement& a);
  void cancel(int sender, const std::vector<int>& recipients, const press::PressMessage& what);
  void end(int power, const press::Arrangement& a);
  void agree(const Proposal& proposal);

  int powers_;
  std::vector<Proposal> proposals_;
  std::vector<Agreement> agreements_;
  std::vector<int> made_;
  std::vector<std::string> events_;
  int next_id_ = 1;
};

// How the party's orders of a phase (all of them: moves, retreats, builds, removals,
// waives) break the agreement; none when they keep it. Peace and alliance: a move into,
// or support of a move into, a province holding another party's unit or centre (support
// of that party's own move excepted); a demilitarised zone: a move, retreat, build,
// support or convoy into it, and from its second movement phase a unit still standing in
// it; a promised order not given in the first phase of its kind (no order holds, or
// disbands in a retreat), unless its unit is gone. Breaking any choice of an ORR breaks
// it only when every choice is broken.
std::vector<Violation> violations(const Agreement& agreement, int party, PhaseKind kind,
                                  const Holdings& holdings, const std::vector<OrderFacts>& orders);

// Whether an order breaks the obligations' peace or demilitarised zones: a move, retreat,
// build, support or convoy where they forbid, a support of a move into what a partner
// holds (unless the supported unit is that partner's own, and nobody else's province it
// is).
bool forbidden(const OrderFacts& order, const Obligations& obligations, const Holdings& holdings);
// Whether the obligations can all be kept at once: no promised order goes where the
// others forbid, and no unit is promised two orders.
bool consistent(const Obligations& obligations, const Holdings& holdings);
// Whether the given order is the promised one.
bool gives(const OrderFacts& given, const OrderFacts& promised);

// "AUS ENG": the powers' names.
std::string power_names(const std::vector<int>& powers);

}  // namespace quorvel
