#include "opponents/house_negotiator.h"

#include <algorithm>
#include <tuple>

#include "game/game_board.h"
#include "protocol/press.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel::opponents {

namespace {

using namespace tok;
using press::ArrangementKind;

// Who honest fights and who it may be at peace with, as the board stands.
struct Relations {
  int leader = -1;
  int enemy = -1;
  std::set<int> neighbours;
};

int owner_of(const rules::RulesGame& game, int province) {
  const Token owner = game.position().owners[static_cast<std::size_t>(province)];
  return owner.category() == CATEGORY_POWER ? owner.subtoken() : -1;
}

// The provinces a unit could stand in within two moves.
std::set<int> within_two_moves(const rules::RulesMap& map, const rules::Unit& unit) {
  std::set<int> reach;
  for (const Location& first : map.moves(unit.location)) {
    reach.insert(first.province);
    for (const Location& second : map.moves(first))
      reach.insert(second.province);
  }
  return reach;
}

Relations relations(const rules::RulesGame& game, int me, const rules::Referee& referee) {
  const rules::RulesMap& map = game.map();
  const rules::Position& position = game.position();
  Relations r;
  std::vector<int> centres(static_cast<std::size_t>(map.power_count()));
  for (int p = 0; p < map.power_count(); ++p)
    centres[static_cast<std::size_t>(p)] = position.centre_count(map, p);
  const auto most = std::max_element(centres.begin(), centres.end());
  if (std::count(centres.begin(), centres.end(), *most) == 1 && most - centres.begin() != me)
    r.leader = static_cast<int>(most - centres.begin());

  // Neighbours are two moves from each other's units or centres; exposure counts the
  // centres of each that the power's own units could take within two moves.
  std::vector<int> exposure(static_cast<std::size_t>(map.power_count()));
  for (const auto& [p, unit] : position.units) {
    for (int to : within_two_moves(map, unit)) {
      if (unit.power != me) {
        if (rules::held_by(game, me, to)) r.neighbours.insert(unit.power);
        continue;
      }
      for (int other = 0; other < map.power_count(); ++other) {
        if (other != me && rules::held_by(game, other, to)) r.neighbours.insert(other);
      }
      const int owner = owner_of(game, to);
      if (owner >= 0 && owner != me && map.supply_centre(to))
        ++exposure[static_cast<std::size_t>(owner)];
    }
  }
  r.neighbours.erase(me);
  if (r.leader >= 0 && r.neighbours.count(r.leader)) {
    r.enemy = r.leader;
    return r;
  }
  // A neighbour it is not at peace with first, then the most exposed, the weakest.
  auto rank = [&](int p) {
    const auto i = static_cast<std::size_t>(p);
    return std::make_tuple(!referee.at_peace(me, p), exposure[i], -centres[i], -p);
  };
  for (int p : r.neighbours) {
    if (r.enemy < 0 || rank(p) > rank(r.enemy)) r.enemy = p;
  }
  return r;
}

TokenMessage peace_with(int a, int b) {
  return press::to_message(press::PressMessage{
      press::PressKind::kProposal,
      press::Arrangement{
          ArrangementKind::kPeace,
          {GameBoard::power_token(std::min(a, b)), GameBoard::power_token(std::max(a, b))},
          {},
          {},
          {},
          {}},
      {},
      {}});
}

}  // namespace

HouseNegotiator::HouseNegotiator(OpponentKind kind, int power)
    : honest_(kind == OpponentKind::kHonest), power_(power) {}

void HouseNegotiator::learn_breaches(const rules::Referee& referee) {
  const std::vector<rules::Breach>& breaches = referee.breaches();
  for (; breaches_seen_ < breaches.size(); ++breaches_seen_) {
    const rules::Breach& breach = breaches[breaches_seen_];
    if (breach.power != power_ && std::count(breach.parties.begin(), breach.parties.end(), power_))
      distrusted_.insert(breach.power);
  }
}

bool HouseNegotiator::welcomes(int other, const rules::RulesGame& game, int leader,
                               int enemy) const {
  if (other == power_ || game.eliminated(other)) return false;
  if (!honest_) return true;
  return !distrusted_.count(other) && other != leader && other != enemy;
}

std::vector<PressOut> HouseNegotiator::open_phase(const rules::RulesGame& game,
                                                  const rules::Referee& referee) {
  std::vector<PressOut> out;
  if (!is_movement_season(game.season()) || game.eliminated(power_)) return out;
  learn_breaches(referee);
  const Relations r = relations(game, power_, referee);
  for (int other = 0; other < game.map().power_count(); ++other) {
    const bool wanted = honest_ ? r.neighbours.count(other) > 0 : true;
    if (wanted && !referee.at_peace(power_, other) && welcomes(other, game, r.leader, r.enemy))
      out.push_back({{other}, peace_with(power_, other)});
  }
  if (!honest_) return out;
  // Peace it no longer wants ends by notice, never by a breach: the notice binds it until
  // this phase is processed.
  for (const Agreement& agreement : referee.agreements()) {
    const auto kind = agreement.arrangement.kind;
    if (agreement.ending ||
        (kind != ArrangementKind::kPeace && kind != ArrangementKind::kAlliance) ||
        !std::count(agreement.parties.begin(), agreement.parties.end(), power_))
      continue;
    std::vector<int> others;
    bool unwanted = false;
    for (int party : agreement.parties) {
      if (party == power_) continue;
      others.push_back(party);
      unwanted = unwanted || !welcomes(party, game, r.leader, r.enemy);
    }
    if (!unwanted) continue;
    press::PressMessage notice{press::PressKind::kFact,
                               press::Arrangement{ArrangementKind::kNot, {}, {}, {}, {}, {}},
                               {},
                               {}};
    notice.arrangement.parts.push_back(agreement.arrangement);
    out.push_back({others, press::to_message(notice)});
  }
  return out;
}

std::vector<PressOut> HouseNegotiator::answer(int sender, const TokenMessage& press, int level,
                                              const rules::RulesGame& game,
                                              const rules::Referee& referee) {
  const int spoken = std::min(level, press::kHighestLevel);
  press::PressMessage message;
  const int fault = press::read_press(press, spoken, game.map().power_count(), message);
  if (fault != -1) {
    return {{{sender}, HUH & error_marked(press, fault)}, {{sender}, press::try_message(spoken)}};
  }
  if (message.kind != press::PressKind::kProposal) return {};
  const press::Arrangement& a = message.arrangement;
  const Token me = GameBoard::power_token(power_);
  bool accept = false;
  if (a.kind == ArrangementKind::kNot) {
    // Told that something no longer holds: nothing to argue about.
    accept = true;
  } else if (a.kind == ArrangementKind::kPeace || a.kind == ArrangementKind::kAlliance) {
    learn_breaches(referee);
    const Relations r = honest_ ? relations(game, power_, referee) : Relations{};
    accept = std::count(a.powers.begin(), a.powers.end(), me) > 0;
    for (Token other : a.powers) {
      if (other != me) accept = accept && welcomes(other.subtoken(), game, r.leader, r.enemy);
    }
    // Not against a friend.
    for (Token enemy : a.against) {
      if (honest_) accept = accept && !referee.at_peace(power_, enemy.subtoken());
    }
  }
  return {{{sender}, (accept ? YES : REJ) & press}};
}

}  // namespace quorvel::opponents
