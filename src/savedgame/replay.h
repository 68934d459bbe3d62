#pragma once

#include <memory>
#include <string>

#include "rules/map_file.h"
#include "savedgame/saved_game.h"

namespace quorvel::rules {
class RulesGame;
}

namespace quorvel::savedgame {

class GameCapture;
class MapNames;

// The same a phase at a time, as the phases are read: next() gives the first difference,
// empty while there is none (and the same difference ever after). Holds one phase.
class Replay {
 public:
  // head: the game's id, map and rules.
  Replay(const rules::MapFile& map, const SavedGame& head);
  ~Replay();
  std::string next(const SavedPhase& phase);

 private:
  std::string step(const SavedPhase& phase);

  std::unique_ptr<rules::RulesGame> rules_;
  std::unique_ptr<MapNames> names_;
  std::unique_ptr<GameCapture> capture_;
  bool started_ = false;
  SavedPhase previous_;  // its name and orders
  std::string failure_;
};

// Plays a saved game again through our rules: from its first phase's position, each
// phase's orders as given (one the rules refuse is void), then the next phase's units, dislodged
// units, centres and name must be those the file holds. Empty when they all are; else the first
// difference, "F1903M: units of FRANCE: the rules have A BUR, the file A PAR".
std::string replay_differences(const SavedGame& game, const rules::MapFile& map);

}  // namespace quorvel::savedgame
