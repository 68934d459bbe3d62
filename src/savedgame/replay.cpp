#include "savedgame/replay.h"

#include <algorithm>
#include <set>

#include "game/game_board.h"
#include "protocol/tokens.h"
#include "rules/rules_game.h"
#include "savedgame/game_capture.h"
#include "savedgame/order_text.h"

namespace quorvel::savedgame {

using namespace tok;

namespace {

struct Turn {
  Token season;
  int year = 0;
};

std::optional<Turn> turn_of(const std::string& name) {
  if (name.size() < 3 || name == "COMPLETED") return std::nullopt;
  const char season = name.front();
  const char phase = name.back();
  int year = 0;
  try {
    year = std::stoi(name.substr(1, name.size() - 2));
  } catch (...) {
    return std::nullopt;
  }
  if (season == 'S' && phase == 'M') return Turn{SPR, year};
  if (season == 'S' && phase == 'R') return Turn{SUM, year};
  if (season == 'F' && phase == 'M') return Turn{FAL, year};
  if (season == 'F' && phase == 'R') return Turn{AUT, year};
  if (season == 'W' && phase == 'A') return Turn{WIN, year};
  return std::nullopt;
}

// The position a phase's state describes.
std::optional<rules::Position> position_of(const MapNames& names, const SavedPhase& phase,
                                           std::string& why) {
  const std::optional<Turn> turn = turn_of(phase.name);
  if (!turn) {
    why = phase.name + ": the game does not start with a phase of a year";
    return std::nullopt;
  }
  const rules::RulesMap& map = names.map();
  rules::Position position;
  position.season = turn->season;
  position.year = turn->year;
  position.owners.assign(static_cast<std::size_t>(map.province_count()), UNO);
  for (const auto& [power_name, state] : phase.state.powers) {
    const int power = names.power(power_name);
    for (const std::string& centre : state.centers) {
      const int p = names.province(centre);
      if (p >= 0) position.owners[static_cast<std::size_t>(p)] = GameBoard::power_token(power);
    }
    for (std::string text : state.units) {
      const bool dislodged = !text.empty() && text[0] == '*';
      if (dislodged) text.erase(0, 1);
      const std::optional<TextUnit> unit = read_unit(names, text);
      if (!unit) continue;
      const rules::Unit placed{power, unit->type, unit->location};
      if (!dislodged) {
        position.units[unit->location.province] = placed;
        continue;
      }
      rules::DislodgedUnit entry{placed, {}};
      for (const auto& [retreating, to] : state.retreats) {
        if (retreating != text) continue;
        for (const std::string& place : to) {
          if (auto location = names.location(place, unit->type)) entry.retreats.insert(*location);
        }
      }
      position.dislodged[unit->location.province] = entry;
    }
  }
  return position;
}

std::string listed(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& text : texts)
    out += (out.empty() ? "" : " ") + text;
  return out.empty() ? "none" : out;
}

// The first difference between two states' units and centres, power by power.
std::string compare(const PhaseState& rules, const PhaseState& file) {
  for (const auto& entry : rules.powers) {
    const std::string& power = entry.first;
    const PowerState& expected = entry.second;
    const auto found = std::find_if(file.powers.begin(), file.powers.end(),
                                    [&](const auto& other) { return other.first == power; });
    PowerState none;
    const PowerState& got = found != file.powers.end() ? found->second : none;
    auto sorted = [](std::vector<std::string> list) {
      std::sort(list.begin(), list.end());
      return list;
    };
    if (sorted(expected.units) != sorted(got.units))
      return "units of " + power + ": the rules have " + listed(sorted(expected.units)) +
             ", the file " + listed(sorted(got.units));
    if (sorted(expected.centers) != sorted(got.centers))
      return "centres of " + power + ": the rules have " + listed(sorted(expected.centers)) +
             ", the file " + listed(sorted(got.centers));
  }
  return {};
}

}  // namespace

Replay::Replay(const rules::MapFile& map, const SavedGame& head)
    : rules_(std::make_unique<rules::RulesGame>()) {
  if (rules_->load_map(map.mdf) != -1) {
    failure_ = "the map does not load";
    return;
  }
  names_ = std::make_unique<MapNames>(rules_->map());
  capture_ = std::make_unique<GameCapture>(*rules_, head.id, head.map, head.rules);
}

Replay::~Replay() = default;

std::string Replay::next(const SavedPhase& phase) {
  if (!failure_.empty()) return failure_;
  failure_ = step(phase);
  return failure_;
}

std::string Replay::step(const SavedPhase& phase) {
  if (!started_) {
    started_ = true;
    std::string why;
    const std::optional<rules::Position> start = position_of(*names_, phase, why);
    if (!start) return why;
    if (rules_->load_position(start->now_message(rules_->map()),
                              start->sco_message(rules_->map())) != -1)
      return phase.name + ": the position does not load";
  } else {
    std::vector<std::pair<int, TextOrder>> orders;
    for (const auto& [power, texts] : previous_.orders) {
      for (const std::string& text : texts) {
        if (auto order = read_order(*names_, text))
          orders.emplace_back(names_->power(power), *order);
      }
    }
    std::vector<TextOrder> all;
    for (const auto& [power, order] : orders)
      all.push_back(order);
    // An order the rules refuse is void, as the field's engine keeps such orders: the unit
    // holds, and a difference shows in the next phase.
    for (const auto& [power, order] : orders)
      rules_->submit(power, order_message(*names_, rules_->position(), power, order, all));
    rules_->process();
    capture_->begin_phase({});
    // Only the phase just made is needed: a long game is not held twice.
    capture_->forget_done_phases();
    const std::string rules_name = capture_->game().phases.back().name;
    if (phase.name != "COMPLETED" && phase.name != rules_name)
      return previous_.name + ": the rules go on to " + rules_name + ", the file to " + phase.name;
    const std::string difference = compare(capture_->game().phases.back().state, phase.state);
    if (!difference.empty()) return phase.name + ": " + difference;
  }
  previous_.name = phase.name;
  previous_.orders = phase.orders;
  return {};
}

std::string replay_differences(const SavedGame& game, const rules::MapFile& map) {
  if (game.phases.empty()) return "the game has no phase";
  Replay replay(map, game);
  for (const SavedPhase& phase : game.phases) {
    const std::string difference = replay.next(phase);
    if (!difference.empty()) return difference;
  }
  return {};
}

}  // namespace quorvel::savedgame
