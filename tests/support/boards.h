#pragma once

#include <memory>
#include <string>

#include "game/game_board.h"
#include "rules/standard_map.h"
#include "support/messages.h"

namespace quorvel::testing {

// A board of its own with the standard map, playing the given power ("" for none).
inline std::unique_ptr<GameBoard> standard_board(const std::string& power = "") {
  auto board = std::make_unique<GameBoard>();
  EXPECT_EQ(board->set_map(standard_map_message()), -1);
  if (!power.empty()) board->set_own_power(parse(power).first_token());
  return board;
}

inline const std::string kStartSco{rules::standard_start_sco()};
inline const std::string kStartNow{rules::standard_start_now()};

inline int province(const std::string& name) {
  return parse(name).first_token().subtoken();
}

}  // namespace quorvel::testing
