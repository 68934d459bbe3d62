// Feeds arbitrary messages to the game board as a hostile server could send them: the
// input's 16-bit words, cut into messages at each end marker, each given to the board
// operation its first token names (all three when it names none). The board starts
// with the standard map so positions have something to stand on.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "game/game_board.h"
#include "message_walk.h"
#include "protocol/tokens.h"

namespace {

using namespace quorvel;

TokenMessage& standard_map() {
  static TokenMessage map;
  return map;
}

void exercise_orders(GameBoard& board) {
  for (const auto& [province, unit] : board.units) {
    (void)board.location_text(unit.location);
    const auto& adjacency = board.provinces[static_cast<std::size_t>(province)].adjacency;
    const auto moves = adjacency.find(unit.location.coast);
    if (moves != adjacency.end() && !moves->second.empty()) {
      board.order_move(province, *moves->second.begin());
    }
    board.order_support_move(province, province ^ 1, province + 1);
    board.order_convoy(province, province - 1, 300);
    const int path[] = {province, -1, 999};
    board.order_move_by_convoy(province, province, 3, path);
    board.order_remove(province);
  }
  for (const auto& [province, unit] : board.dislodged_units) {
    if (!unit.retreat_options.empty()) board.order_retreat(province, *unit.retreat_options.begin());
  }
  for (int p : board.buildable_home_centres)
    board.order_build({p, tok::AMY});
  board.add_waives(1);
  fuzzing::walk(board.build_submission());
  for (int p = -1; p <= quorvel::kMaxProvinces; ++p)
    (void)board.province_text(p);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::ifstream in(QUORVEL_DATA_DIR "/maps/standard.mdf");
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
    s.pop_back();
  if (standard_map().parse_text(s) != -1) __builtin_trap();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto board = std::make_unique<GameBoard>();
  if (board->set_map(standard_map()) != -1) __builtin_trap();
  board->set_own_power(tok::ENG);

  std::vector<std::uint16_t> words(size / 2);
  if (!words.empty()) std::memcpy(words.data(), data, words.size() * 2);
  std::size_t begin = 0;
  for (std::size_t end = 0; end <= words.size(); ++end) {
    if (end < words.size() && words[end] != tok::END_OF_MESSAGE.value()) continue;
    TokenMessage message;
    const int n = static_cast<int>(end - begin);
    const std::uint16_t* first = words.data() + begin;
    begin = end + 1;
    if (message.set_from_words(first, n) != -1 || message.length() == 0) continue;

    const Token kind = message.first_token();
    const int length = message.length();
    auto check = [length](int fault) {
      if (fault < -1 || fault > length) __builtin_trap();
    };
    if (kind == tok::HLO) {
      board->set_own_power(message.sub_message(1).first_token());
    } else if (kind == tok::MDF) {
      check(board->set_map(message));
    } else if (kind == tok::NOW) {
      check(board->set_position(message));
    } else if (kind == tok::SCO) {
      check(board->set_centres(message));
    } else {
      check(board->set_map(message));
      check(board->set_position(message));
      check(board->set_centres(message));
    }
    if (board->province_count < -1 || board->province_count > kMaxProvinces ||
        board->power_count > kMaxPowers) {
      __builtin_trap();
    }
    exercise_orders(*board);
  }
  return 0;
}
