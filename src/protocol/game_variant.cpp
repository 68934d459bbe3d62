#include "protocol/game_variant.h"

#include <algorithm>

#include "protocol/seasons.h"
#include "protocol/tokens.h"

namespace quorvel {

using namespace tok;

int GameVariant::seconds_for(Token season) const {
  if (is_movement_season(season)) return move_seconds;
  if (is_retreat_season(season)) return retreat_seconds;
  return build_seconds;
}

bool GameVariant::allows_press(Token season, std::optional<int> seconds_left) const {
  if (level < 10) return false;
  if (is_retreat_season(season)) return !no_retreat_press;
  if (!is_movement_season(season)) return !no_build_press;
  return press_time_limit <= 0 || !seconds_left || *seconds_left > press_time_limit;
}

std::optional<int> GameVariant::press_closes_after() const {
  if (level < 10 || press_time_limit <= 0 || move_seconds <= 0) return std::nullopt;
  return std::max(move_seconds - press_time_limit, 0);
}

GameVariant read_variant(const TokenMessage& variant) {
  GameVariant read;
  for (int i = 0; i < variant.sub_message_count(); ++i) {
    const TokenMessage option = variant.sub_message(i);
    const Token name = option.token_at(0);
    const Token value = option.token_at(1);
    const int number = value.is_number() && option.length() == 2 ? value.number() : -1;
    if (name == PDA) read.partial_draws = true;
    if (name == NPR) read.no_retreat_press = true;
    if (name == NPB) read.no_build_press = true;
    if (number < 0) continue;
    if (name == LVL) read.level = number;
    if (name == MTL) read.move_seconds = number;
    if (name == RTL) read.retreat_seconds = number;
    if (name == BTL) read.build_seconds = number;
    if (name == PTL) read.press_time_limit = number;
  }
  return read;
}

TokenMessage variant_message(const GameVariant& v) {
  TokenMessage options = (LVL + Token::from_number(v.level)).enclose();
  auto add = [&options](Token name, int seconds) {
    if (seconds > 0) options = options & (name + Token::from_number(seconds));
  };
  add(MTL, v.move_seconds);
  add(RTL, v.retreat_seconds);
  add(BTL, v.build_seconds);
  if (v.level < 10) return options;
  for (const auto& [name, on] :
       {std::pair{PDA, v.partial_draws}, {NPR, v.no_retreat_press}, {NPB, v.no_build_press}}) {
    if (on) options = options & TokenMessage(name);
  }
  add(PTL, v.press_time_limit);
  return options;
}

}  // namespace quorvel
