// The board's map and how it names places.
#include "game/game_board.h"
#include "protocol/tokens.h"

namespace quorvel {

int GameBoard::set_map(const TokenMessage& mdf) {
  return read_map(mdf, *this);
}

void GameBoard::forget_map() {
  province_count = -1;
  power_count = -1;
  powers.reset();
  units.clear();
  dislodged_units.clear();
  own_home_centres.clear();
  own_units.clear();
  own_dislodged_units.clear();
  own_centres.clear();
  buildable_home_centres.clear();
  adjustment_orders.clear();
  adjustment_count = 0;
  waive_count = 0;
}

std::string GameBoard::province_text(int province) const {
  if (province < 0 || province >= kMaxProvinces) return "???";
  const MapProvince& record = provinces[static_cast<std::size_t>(province)];
  if (!record.defined) return "???";
  std::string text = printed_text(TokenMessage(record.token), *tokens);
  if (record.has_army_moves) {
    for (std::size_t i = 1; i < text.size(); ++i) {
      if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
    }
  }
  return text;
}

std::string GameBoard::location_text(const Location& location) const {
  std::string text = province_text(location.province);
  if (location.coast == tok::NCS) text += "/nc";
  if (location.coast == tok::SCS) text += "/sc";
  if (location.coast == tok::ECS) text += "/ec";
  if (location.coast == tok::WCS) text += "/wc";
  return text;
}

}  // namespace quorvel
