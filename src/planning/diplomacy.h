#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/agreements.h"
#include "game/game_board.h"
#include "protocol/press.h"
#include "settings/bot_settings.h"

namespace quorvel {

class ProvinceValuation;

// How the bot stands with one power this turn.
struct PowerView {
  int threat = 0;   // value of what the bot holds that the power's units can reach
  int gain = 0;     // value of what the power holds that the bot's orders go for
  int reach = 0;    // value of the power's centres within two moves of the bot's units
  int centres = 0;  // its supply centres
  // What the negotiation knows of it: in the game, not the bot, and not distrusted.
  bool dealing = false;
  // It agreed more than peace with the bot (a demilitarised zone, a promised order): a
  // partner worth keeping, what of its it could take soon notwithstanding.
  bool cooperative = false;
  double aggression = 0;  // how often it went for the bot lately
  bool cooling = false;   // the bot ended peace with it lately
  // It turned a proposal of the bot's down: it weighs what it agrees to, unlike a power
  // that takes any peace it is offered.
  bool discerning = false;
};

// How the bot stands with each power this turn, by its own valuation and its plan.
struct DiplomaticView {
  int me = -1;
  std::vector<PowerView> powers;  // by power
  int leader = -1;                // the most centres, at least the leader share; never the bot
  Holdings holdings;

  const PowerView& of(int power) const { return powers[static_cast<std::size_t>(power)]; }
};

// Who holds each province on the board.
Holdings holdings_of(const GameBoard& board);
// The bot's orders on the board, as facts.
std::vector<OrderFacts> own_orders(const GameBoard& board);

// The view of the turn, after the bot's orders for it were planned, from what the
// negotiation knows of each power (whom it deals with, their aggression, cooperation,
// cooling and discernment; by power).
DiplomaticView view_turn(const GameBoard& board, const ProvinceValuation& valuation,
                         std::vector<PowerView> known, const PressSettings& settings);

// A proposal the bot makes, and why.
struct Offer {
  std::vector<int> to;
  press::Arrangement arrangement;
  std::string why;
  // What it proposes next, once this is agreed: where one proposal cannot carry both, the
  // peace that a free border comes with.
  std::optional<press::Arrangement> then;
};

// What the bot proposes at the start of a movement phase, at the level it speaks: peace to
// powers that could hurt it and that its orders leave alone; from level 20 also peace with
// a free border to others (one proposal from level 30; below, the zone, and the peace once
// the zone is agreed), an alliance against the leader to partners who reach it,
// demilitarised zones on the borders with partners that neither needs, and supports of its
// contested moves from partners' units.
std::vector<Offer> offers(const DiplomaticView& view, const GameBoard& board,
                          const ProvinceValuation& valuation, const AgreementLedger& ledger,
                          const PressSettings& settings, int level);

struct Judgement {
  bool accept = false;
  std::string why;
};

// Whether the bot takes what the proposer proposes: peace when what the proposer could
// take from it outweighs what its orders go for there (never with the leader); an alliance
// on the same terms with every other ally and no partner among the enemies; a
// demilitarised zone its orders keep out of and that is worth little to it; a promise of
// the proposer's own orders; a support of the proposer's move by a unit that was not
// going anywhere, into a place that breaks no peace; a draw when it does not lead.
Judgement judge(const press::Arrangement& arrangement, int proposer, const DiplomaticView& view,
                const GameBoard& board, const ProvinceValuation& valuation,
                const AgreementLedger& ledger, const PressSettings& settings, bool tested = false);

// Whether peace with the power pays: what it could take from the bot outweighs what the
// bot's orders go for there; never with the leader. A power that has agreed nothing but
// peace with the bot gets peace only once it went for the bot lately, unless the peace
// comes with more (tested: a demilitarised zone beside it).
bool worth_peace(const DiplomaticView& view, int power, const PressSettings& settings,
                 bool tested = false);
// Whether a peace in force is still worth keeping: as worth_peace, with the threat weighed
// peace_keep times (no churn from one turn's plan to the next).
bool worth_keeping(const DiplomaticView& view, int power, const PressSettings& settings);
// "threat 12, gain 0": the values compared, for the trace.
std::string describe(const DiplomaticView& view, int power);

// Whether the bot's orders on the board keep the obligations.
bool keeps(const GameBoard& board, const Obligations& obligations);

}  // namespace quorvel
