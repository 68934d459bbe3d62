#include "planning/opening_book.h"

#include <cctype>

#include "game/game_board.h"
#include "planning/unit_option_table.h"
#include "protocol/tokens.h"

namespace quorvel {

namespace {

std::string upper(std::string_view text) {
  std::string out;
  for (const char c : text)
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool is_name(const std::string& text) {
  if (text.empty() || text.size() > 3) return false;
  for (char c : text) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

// "VIE" or "STP/SC": a place name and an optional coast, its token's final S optional.
bool read_place(const std::string& text, std::string& name, std::string& coast) {
  const std::size_t slash = text.find('/');
  name = text.substr(0, slash);
  coast.clear();
  if (slash != std::string::npos) {
    coast = text.substr(slash + 1);
    if (coast.size() == 2) coast += 'S';
    if (coast != "NCS" && coast != "SCS" && coast != "ECS" && coast != "WCS") return false;
  }
  return is_name(name);
}

}  // namespace

std::optional<OpeningLine> read_opening(std::string_view text, std::string* why) {
  const std::string all = upper(text);
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < all.size()) {
    while (at < all.size() && std::isspace(static_cast<unsigned char>(all[at])))
      ++at;
    std::size_t end = at;
    while (end < all.size() && !std::isspace(static_cast<unsigned char>(all[end])))
      ++end;
    if (end > at) words.push_back(all.substr(at, end - at));
    at = end;
  }
  const auto fail = [why](const std::string& fault) {
    if (why != nullptr) *why = fault;
    return std::nullopt;
  };
  OpeningLine line;
  std::size_t w = 0;
  while (w < words.size()) {
    OpeningOrder order;
    if (words[w] != "A" && words[w] != "F")
      return fail("'" + words[w] + "' stands where a unit (A or F) should");
    order.army = words[w] == "A";
    if (++w == words.size()) return fail("a unit without its place and order");
    const std::string& place = words[w++];
    const std::size_t dash = place.find('-');
    if (dash == std::string::npos) {
      if (!read_place(place, order.from, order.from_coast))
        return fail("'" + place + "' is not a place");
      if (w == words.size() || words[w] != "H")
        return fail("the unit in " + order.from + " neither moves (-PLACE) nor holds (H)");
      ++w;
    } else if (!read_place(place.substr(0, dash), order.from, order.from_coast) ||
               !read_place(place.substr(dash + 1), order.to, order.coast)) {
      return fail("'" + place + "' is not a move from one place to another");
    }
    for (const OpeningOrder& earlier : line) {
      if (earlier.from == order.from) return fail("two orders for the unit in " + order.from);
    }
    line.push_back(order);
  }
  return line;
}

std::vector<std::pair<int, Location>> opening_orders(const OpeningLine& line, const GameBoard& game,
                                                     const UnitOptionTable& options) {
  std::vector<std::pair<int, Location>> orders;
  if (line.size() != game.own_units.size()) return {};
  const auto province_of = [&game](const std::string& name) {
    const std::optional<Token> token = game.tokens->token_of(name);
    if (!token || !token->is_province() || !game.on_map(token->subtoken())) return -1;
    return token->subtoken();
  };
  for (const OpeningOrder& order : line) {
    const int from = province_of(order.from);
    if (from < 0 || game.own_units.count(from) == 0) return {};
    const auto option = options.options().find(from);
    if (option == options.options().end() || option->second.isArmy() != order.army) return {};
    if (!order.from_coast.empty() &&
        game.tokens->token_of(order.from_coast) != option->second.location.coast)
      return {};
    if (order.to.empty()) {
      orders.emplace_back(from, option->second.location);
      continue;
    }
    const int to = province_of(order.to);
    std::optional<Token> coast;
    if (!order.coast.empty()) coast = game.tokens->token_of(order.coast);
    const Location* end = nullptr;
    for (const Location& place : option->second.candidates) {
      if (place.province == to && (!coast || place.coast == *coast)) end = &place;
    }
    if (to < 0 || end == nullptr) return {};
    orders.emplace_back(from, *end);
  }
  return orders;
}

}  // namespace quorvel
