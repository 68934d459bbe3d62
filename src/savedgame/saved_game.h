#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::savedgame {

// A game as the field's saved-game JSON holds it: texts as the file has them, powers by
// their full upper-case names ("FRANCE"), in the map's order.
template <typename Value>
using ByName = std::vector<std::pair<std::string, Value>>;

struct SavedMessage {
  std::string sender;     // a power, or SYSTEM
  std::string recipient;  // a power, GLOBAL or SYSTEM
  std::int64_t time_sent = 0;
  std::string phase;
  std::string message;
};

struct PowerState {
  std::vector<std::string> units;             // "A PAR"; "*A MUN" dislodged, still to retreat
  ByName<std::vector<std::string>> retreats;  // dislodged unit -> where it may go
  std::vector<std::string> centers;
  std::vector<std::string> homes;
  std::vector<std::string> influence;
  int civil_disorder = 0;
  int builds = 0;  // owed in adjustments: builds positive, removals negative
  std::vector<std::string> build_homes;
};

// The position as the phase begins.
struct PhaseState {
  std::string note;
  std::int64_t timestamp = 0;
  std::string zobrist_hash;
  ByName<PowerState> powers;
};

struct SavedPhase {
  std::string name;  // "S1901M", "F1901R", "W1901A", or "COMPLETED"
  PhaseState state;
  ByName<std::vector<std::string>> orders;   // per power, as given
  ByName<std::vector<std::string>> results;  // per unit ("A PAR", "WAIVE")
  std::vector<SavedMessage> messages;
};

struct SavedGame {
  std::string id;
  std::string map;
  std::vector<std::string> rules;
  std::vector<SavedPhase> phases;
};

}  // namespace quorvel::savedgame
