#pragma once

#include <optional>

#include "protocol/token.h"
#include "protocol/token_message.h"

namespace quorvel {

// The options of a game as its HLO announces them: the press level, the phases' time
// limits, and what a game with press allows.
struct GameVariant {
  int level = 0;                  // LVL: 0 no press
  int move_seconds = 0;           // MTL, RTL, BTL: time limits; 0 none
  int retreat_seconds = 0;        //
  int build_seconds = 0;          //
  bool partial_draws = false;     // PDA: DRW may name the powers of the draw
  bool no_retreat_press = false;  // NPR
  bool no_build_press = false;    // NPB
  int press_time_limit = 0;       // PTL: seconds before a movement deadline without press

  // The time limit of phases of the season, in seconds; 0 for none.
  int seconds_for(Token season) const;
  // Whether press may be sent in a phase of the season, seconds_left before its time
  // limit (none when it has none).
  bool allows_press(Token season, std::optional<int> seconds_left) const;
  // Seconds after a movement phase began from which it allows no press; none when it
  // allows press until the phase ends.
  std::optional<int> press_closes_after() const;
  friend bool operator==(const GameVariant&, const GameVariant&) = default;
};

// The variant of an HLO (its last element): options it does not know are left out.
GameVariant read_variant(const TokenMessage& variant);
// The variant as HLO carries it: ( ( LVL n ) ( MTL s ) ... ); the options of press only at
// a level with press.
TokenMessage variant_message(const GameVariant& variant);

}  // namespace quorvel
