#include "savedgame/game_capture.h"

#include <algorithm>
#include <chrono>

#include "game/game_board.h"
#include "protocol/seasons.h"
#include "protocol/tokens.h"
#include "rules/order.h"

namespace quorvel::savedgame {

using namespace tok;

std::string phase_name(Token season, int year) {
  const std::string number = std::to_string(year);
  if (season == SPR) return "S" + number + "M";
  if (season == SUM) return "S" + number + "R";
  if (season == FAL) return "F" + number + "M";
  if (season == AUT) return "F" + number + "R";
  return "W" + number + "A";
}

namespace {

// A hash of the position of our own (the field's engine writes one of its tables): the
// turn, the units where they stand, the dislodged ones, the owners of the provinces.
std::string position_hash(const rules::Position& position) {
  std::uint64_t hash = 1469598103934665603ULL;
  auto mix = [&hash](std::uint64_t value) {
    hash ^= value;
    hash *= 1099511628211ULL;
  };
  mix(position.season.value());
  mix(static_cast<std::uint64_t>(position.year));
  for (const auto& [p, unit] : position.units) {
    mix(static_cast<std::uint64_t>(p));
    mix(static_cast<std::uint64_t>(unit.power) << 32 | unit.type.value() << 16 |
        unit.location.coast.value());
  }
  for (const auto& [p, dislodged] : position.dislodged)
    mix(static_cast<std::uint64_t>(p) | 1ULL << 40);
  for (Token owner : position.owners)
    mix(owner.value());
  return std::to_string(hash);
}

// The words of a result, as the field's engine writes them.
std::vector<std::string> result_words(Token main, bool dislodged, Token season, bool ordered,
                                      bool waive) {
  std::vector<std::string> words;
  if (season == WIN) {
    // Adjustments: one empty word for what was done as ordered, else what the rules did.
    if (ordered) return {""};
    return {waive ? "void" : "disband"};
  }
  if (is_retreat_season(season)) {
    if (main == BNC) return {"bounce", "disband"};
    if (!ordered) return {"disband"};
    return {};
  }
  if (main == BNC) words.push_back("bounce");
  if (main == CUT) words.push_back("cut");
  if (main == DSR) words.push_back("no convoy");
  if (main == NSO) words.push_back("void");
  if (dislodged) words.push_back("dislodged");
  return words;
}

}  // namespace

GameCapture::GameCapture(const rules::RulesGame& game, std::string id, std::string map_name,
                         std::vector<std::string> rules)
    : rules_(game), names_(game.map()) {
  game_.id = std::move(id);
  game_.map = std::move(map_name);
  game_.rules = std::move(rules);
  influence_.assign(static_cast<std::size_t>(std::max(game.map().province_count(), 0)), -1);
}

std::int64_t GameCapture::next_time() {
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  last_time_ = std::max<std::int64_t>(last_time_ + 1, now);
  return last_time_;
}

PhaseState GameCapture::state(const std::vector<bool>& disorder) {
  const rules::RulesMap& map = rules_.map();
  const rules::Position& position = rules_.position();
  // Who last held each province: a centre's new owner, then whoever stands there.
  for (std::size_t p = 0; p < position.owners.size() && p < influence_.size(); ++p) {
    const Token owner = position.owners[p];
    if (p < owners_.size() && owners_[p] == owner) continue;
    if (owner.category() == CATEGORY_POWER && map.has_power(owner.subtoken()))
      influence_[p] = owner.subtoken();
  }
  owners_ = position.owners;
  for (const auto& [p, unit] : position.units)
    influence_[static_cast<std::size_t>(p)] = unit.power;

  PhaseState state;
  state.timestamp = next_time();
  state.zobrist_hash = position_hash(position);
  for (int power = 0; power < map.power_count(); ++power) {
    if (!map.has_power(power)) continue;
    PowerState entry;
    for (const auto& [p, unit] : position.units) {
      if (unit.power == power) entry.units.push_back(names_.unit(unit.type, unit.location));
    }
    for (const auto& [p, dislodged] : position.dislodged) {
      if (dislodged.unit.power != power) continue;
      const std::string unit = names_.unit(dislodged.unit.type, dislodged.unit.location);
      entry.units.push_back("*" + unit);
      std::vector<std::string> to;
      for (const Location& place : dislodged.retreats)
        to.push_back(names_.location(place));
      entry.retreats.emplace_back(unit, std::move(to));
    }
    for (int p = 0; p < map.province_count(); ++p) {
      if (!map.valid(p)) continue;
      if (map.supply_centre(p) &&
          position.owners[static_cast<std::size_t>(p)] == GameBoard::power_token(power))
        entry.centers.push_back(names_.province(p));
      if (influence_[static_cast<std::size_t>(p)] == power)
        entry.influence.push_back(names_.province(p));
    }
    for (int home : map.home_centres(power))
      entry.homes.push_back(names_.province(home));
    entry.civil_disorder = static_cast<std::size_t>(power) < disorder.size() &&
                           disorder[static_cast<std::size_t>(power)];
    if (position.season == WIN) {
      entry.builds = position.centre_count(map, power) - position.unit_count(power);
      for (int home : map.home_centres(power)) {
        if (entry.builds > 0 && !position.units.count(home) &&
            position.owners[static_cast<std::size_t>(home)] == GameBoard::power_token(power))
          entry.build_homes.push_back(names_.province(home));
      }
    }
    state.powers.emplace_back(names_.power(power), std::move(entry));
  }
  return state;
}

void GameCapture::begin_phase(const std::vector<bool>& disorder) {
  const rules::Position& position = rules_.position();
  SavedPhase phase;
  phase.name = phase_name(position.season, position.year);
  phase.state = state(disorder);
  game_.phases.push_back(std::move(phase));
  phase_open_ = true;
}

void GameCapture::message(int sender, const std::vector<int>& recipients,
                          const std::string& press) {
  if (game_.phases.empty()) return;
  SavedPhase& phase = game_.phases.back();
  for (int to : recipients) {
    phase.messages.push_back(
        SavedMessage{names_.power(sender), names_.power(to), next_time(), phase.name, press});
  }
}

void GameCapture::note(const std::string& text) {
  if (game_.phases.empty()) return;
  std::string& note = game_.phases.back().state.note;
  note += (note.empty() ? "" : "\n") + text;
}

void GameCapture::take_orders() {
  if (!phase_open_) return;
  const rules::RulesMap& map = rules_.map();
  const rules::Position& position = rules_.position();
  SavedPhase& phase = game_.phases.back();
  ordered_.clear();
  phase.orders.clear();
  before_ = position;
  for (int power = 0; power < map.power_count(); ++power) {
    if (!map.has_power(power)) continue;
    std::vector<std::string> given;
    for (const auto* orders : {&rules_.orders(), &rules_.builds(), &rules_.removals()}) {
      for (const auto& [p, order] : *orders) {
        if (order.power != power) continue;
        given.push_back(order_text(names_, text_order(order, position)));
        ordered_.insert(names_.unit(order.unit.type, order.unit.location));
      }
    }
    for (int i = 0; i < rules_.waives(power); ++i)
      given.push_back("WAIVE");
    if (rules_.waives(power) > 0) ordered_.insert("WAIVE");
    phase.orders.emplace_back(names_.power(power), std::move(given));
  }
}

void GameCapture::processed(const std::vector<rules::RulesGame::OrderResult>& results) {
  if (!phase_open_) return;
  SavedPhase& phase = game_.phases.back();
  for (const rules::RulesGame::OrderResult& result : results) {
    const bool waive = result.order.kind == OrderKind::kWaive;
    const std::string unit =
        waive ? "WAIVE" : names_.unit(result.order.unit.type, result.order.unit.location);
    const std::vector<std::string> words = result_words(
        result.result, result.dislodged, before_.season, ordered_.count(unit) != 0, waive);
    const auto same = std::find_if(phase.results.begin(), phase.results.end(),
                                   [&](const auto& entry) { return entry.first == unit; });
    // Several waives of one power are one entry, as the field writes them.
    if (same == phase.results.end()) phase.results.emplace_back(unit, words);
  }
  phase_open_ = false;
}

void GameCapture::finish(const std::vector<int>& victors, const std::vector<bool>& disorder) {
  if (!phase_open_) {
    SavedPhase completed;
    completed.name = "COMPLETED";
    completed.state = state(disorder);
    game_.phases.push_back(std::move(completed));
  }
  std::string note = "Victory by: ";
  for (std::size_t i = 0; i < victors.size(); ++i)
    note += (i ? ", " : "") + printed_text(TokenMessage(GameBoard::power_token(victors[i])));
  this->note(note);
  phase_open_ = false;
}

void GameCapture::forget_done_phases() {
  if (game_.phases.size() > 1) game_.phases.erase(game_.phases.begin(), game_.phases.end() - 1);
}

}  // namespace quorvel::savedgame
