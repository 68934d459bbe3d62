// Feeds arbitrary messages to the rules as orders of arbitrary powers, as untrusted
// clients could, and processes phases; nothing may crash or break the board.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "protocol/tokens.h"
#include "rules/rules_game.h"
#include "rules/standard_map.h"

namespace {

quorvel::TokenMessage parsed(std::string_view text) {
  quorvel::TokenMessage message;
  if (message.parse_text(text) != -1) __builtin_trap();
  return message;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quorvel;
  static const TokenMessage mdf = parsed(rules::standard_map_text());
  static const TokenMessage now = parsed(
      "NOW ( SPR 1901 ) ( AUS AMY BUD ) ( AUS FLT TRI ) ( ENG FLT LON ) ( ENG AMY LVP ) "
      "( FRA FLT BRE ) ( FRA AMY PAR ) ( GER FLT KIE ) ( GER AMY MUN ) ( ITA FLT NAP ) "
      "( RUS FLT ( STP SCS ) ) ( RUS AMY WAR ) ( TUR FLT ANK ) ( TUR AMY CON )");
  static const TokenMessage sco = parsed(
      "SCO ( AUS BUD TRI VIE ) ( ENG EDI LON LVP ) ( FRA BRE MAR PAR ) ( GER BER KIE MUN ) "
      "( ITA NAP ROM VEN ) ( RUS MOS SEV STP WAR ) ( TUR ANK CON SMY )");
  rules::RulesGame game;
  if (game.load_map(mdf) != -1 || game.load_position(now, sco) != -1) __builtin_trap();

  std::vector<std::uint16_t> words(size / 2);
  if (!words.empty()) std::memcpy(words.data(), data, words.size() * 2);
  std::size_t begin = 0;
  for (std::size_t end = 0; end <= words.size(); ++end) {
    if (end < words.size() && words[end] != tok::END_OF_MESSAGE.value()) continue;
    TokenMessage order;
    const int n = static_cast<int>(end - begin);
    const int power = n > 0 ? words[begin] % 8 : 0;
    const std::uint16_t* first = words.data() + begin + (n > 0 ? 1 : 0);
    begin = end + 1;
    // An empty piece processes the phase.
    if (n <= 1) {
      game.process();
      continue;
    }
    if (order.set_from_words(first, n - 1) != -1) continue;
    game.submit(power, order);
    (void)game.missing_message(power % 7);
  }
  game.process();
  (void)game.position().now_message(game.map());
  (void)game.position().sco_message(game.map());
  for (const auto& [p, unit] : game.position().units) {
    if (unit.location.province != p) __builtin_trap();
  }
  return 0;
}
