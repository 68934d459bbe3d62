// The kind of phase each season token stands for.
#pragma once

#include "protocol/tokens.h"

namespace quorvel {

constexpr bool is_movement_season(Token season) {
  return season == tok::SPR || season == tok::FAL;
}

constexpr bool is_retreat_season(Token season) {
  return season == tok::SUM || season == tok::AUT;
}

constexpr bool is_season(Token token) {
  return is_movement_season(token) || is_retreat_season(token) || token == tok::WIN;
}

}  // namespace quorvel
