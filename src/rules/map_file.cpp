#include "rules/map_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "game/board_map.h"
#include "game/board_position.h"
#include "game/message_positions.h"
#include "protocol/seasons.h"
#include "protocol/token_text_table.h"
#include "protocol/tokens.h"

namespace quorvel::rules {

namespace {

struct Place {
  int line = 1;
  int column = 1;
};

struct Lexed {
  std::vector<Token> tokens;
  std::vector<Place> places;  // where each token starts
  Place end;
};

std::string at(const std::string& name, Place place, const std::string& what) {
  return name + ":" + std::to_string(place.line) + ":" + std::to_string(place.column) + ": " + what;
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The printed form of messages, read as a message's text is read once line breaks, tabs
// and comments are spaces. A map holds no strings and no negative numbers, and no number
// above the largest a token carries: a fault is the first of these, left to right.
bool lex(std::string_view text, const std::string& name, Lexed& out, std::string& error) {
  std::string plain(text);
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (plain[i] == '#') {
      for (; i < plain.size() && plain[i] != '\n'; ++i)
        plain[i] = ' ';
    }
    if (i < plain.size() && (plain[i] == '\t' || plain[i] == '\r' || plain[i] == '\n'))
      plain[i] = ' ';
  }
  std::vector<std::size_t> lines{0};  // where each line starts
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') lines.push_back(i + 1);
  }
  auto place_of = [&](std::size_t offset) {
    const auto line = std::upper_bound(lines.begin(), lines.end(), offset) - 1;
    return Place{static_cast<int>(line - lines.begin()) + 1, static_cast<int>(offset - *line) + 1};
  };
  const std::size_t foreign =
      plain.find_first_not_of(" ()0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  std::size_t big = std::string::npos;
  for (std::size_t i = 0; i < plain.size() && big == std::string::npos; ++i) {
    if (!is_digit(plain[i]) || (i > 0 && is_digit(plain[i - 1]))) continue;
    int value = 0;
    for (std::size_t d = i; d < plain.size() && is_digit(plain[d]) && value <= 8191; ++d)
      value = value * 10 + (plain[d] - '0');
    if (value > 8191) big = i;
  }

  TokenMessage all;
  std::vector<int> starts;
  const std::string_view before = std::string_view(plain).substr(0, std::min(foreign, big));
  const int fault = all.parse_text(before, TokenTextTable::standard(), starts);
  const auto within = static_cast<std::size_t>(fault);
  if (fault != -1 && within < before.size()) {
    if (plain[within] == ')') {
      error = at(name, place_of(within), "a closing bracket without its opening one");
    } else {
      std::string word(text.substr(within, 3));
      for (char& c : word)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      error = at(name, place_of(within), "'" + word + "' is no token");
    }
    return false;
  }
  if (big < foreign) {
    error = at(name, place_of(big), "a number above 8191");
    return false;
  }
  if (foreign != std::string::npos) {
    error =
        at(name, place_of(foreign), std::string("unexpected character '") + plain[foreign] + "'");
    return false;
  }
  out.end = place_of(text.size());
  if (fault != -1) {
    error = at(name, out.end, "the file ends inside brackets");
    return false;
  }
  for (int i = 0; i < all.length(); ++i) {
    out.tokens.push_back(all.token_at(i));
    out.places.push_back(place_of(static_cast<std::size_t>(starts[static_cast<std::size_t>(i)])));
  }
  return true;
}

// One message of the file, and where its tokens are.
struct Part {
  TokenMessage message;
  int first = 0;  // index of its first token in the file's tokens
};

class Reader {
 public:
  Reader(const Lexed& lexed, std::string name) : lexed_(lexed), name_(std::move(name)) {}

  std::string error(const Part& part, int position, const std::string& what) const {
    const std::size_t index = static_cast<std::size_t>(part.first + position);
    const Place place = index < lexed_.places.size() ? lexed_.places[index] : lexed_.end;
    return at(name_, place, what);
  }
  std::string error_at_end(const std::string& what) const { return at(name_, lexed_.end, what); }

  // The three messages, split where a single token stands outside all brackets.
  bool split(std::vector<Part>& parts, std::string& failure) const {
    const int count = static_cast<int>(lexed_.tokens.size());
    int depth = 0;
    std::vector<int> starts;
    for (int i = 0; i < count; ++i) {
      const Token t = lexed_.tokens[static_cast<std::size_t>(i)];
      if (depth == 0 && t != tok::BRA) starts.push_back(i);
      if (t == tok::BRA) ++depth;
      if (t == tok::KET) --depth;
    }
    if (count > 0 && lexed_.tokens.front() == tok::BRA) {
      failure = at(name_, lexed_.places.front(), "the file must begin with MDF");
      return false;
    }
    const Token expected[] = {tok::MDF, tok::SCO, tok::NOW};
    const char* names[] = {"MDF", "SCO", "NOW"};
    for (std::size_t k = 0; k < 3; ++k) {
      if (k >= starts.size()) {
        failure = error_at_end(std::string("the file ends before its ") + names[k]);
        return false;
      }
      const int start = starts[k];
      if (lexed_.tokens[static_cast<std::size_t>(start)] != expected[k]) {
        failure = at(name_, lexed_.places[static_cast<std::size_t>(start)],
                     std::string("expected ") + names[k] + " here");
        return false;
      }
    }
    if (starts.size() > 3) {
      failure = at(name_, lexed_.places[static_cast<std::size_t>(starts[3])],
                   "nothing may follow the NOW");
      return false;
    }
    for (std::size_t k = 0; k < 3; ++k) {
      const int start = starts[k];
      const int end = k + 1 < starts.size() ? starts[k + 1] : count;
      Part part;
      part.first = start;
      part.message.set_from_tokens(&lexed_.tokens[static_cast<std::size_t>(start)], end - start);
      parts.push_back(std::move(part));
    }
    return true;
  }

 private:
  const Lexed& lexed_;
  std::string name_;
};

// Every adjacency is a way back too: a one-way move is a slip of the pen.
int one_way(const BoardMap& map, const TokenMessage& mdf) {
  const TokenMessage entries = mdf.sub_message(3);
  const int entries_offset = content_position(mdf, 3, 0);
  for (int e = 0; e < entries.sub_message_count(); ++e) {
    const TokenMessage entry = entries.sub_message(e);
    const int entry_offset = content_position(entries, e, entries_offset);
    const int from = entry.first_token().subtoken();
    for (int k = 1; k < entry.sub_message_count(); ++k) {
      const TokenMessage list = entry.sub_message(k);
      const int list_offset = content_position(entry, k, entry_offset);
      const TokenMessage key = list.sub_message(0);
      const Token coast = key.is_single_token() ? key.first_token() : key.token_at(1);
      for (int d = 1; d < list.sub_message_count(); ++d) {
        const TokenMessage place = list.sub_message(d);
        const Location to = place.is_single_token()
                                ? Location{place.first_token().subtoken(), key.first_token()}
                                : Location{place.token_at(0).subtoken(), place.token_at(1)};
        const auto& back = map.provinces[static_cast<std::size_t>(to.province)].adjacency;
        const auto list_back = back.find(to.coast);
        if (list_back == back.end() || list_back->second.count(Location{from, coast}) == 0)
          return element_position(list, d, list_offset);
      }
    }
  }
  return -1;
}

std::string unit_fault(const BoardMap& map, const TokenMessage& now, int position) {
  const Token t = position < now.length() ? now.token_at(position) : Token();
  if (t.category() == CATEGORY_POWER && !map.has_power(t.subtoken()))
    return "a unit of a power not in the power list";
  if (t.is_province() && !map.on_map(t.subtoken())) return "a unit on a province not on the map";
  return "a unit the map has no place for (its type, its province or its coast)";
}

// A fault of a file that lexed and split: the part, the token at fault in it, and why.
struct Fault {
  const Part* part = nullptr;
  int position = 0;
  std::string why;
};
using Check = std::optional<Fault>;

// The map: what a server checks in an MDF, powers, adjacencies both ways, centres.
Check check_map(const Part& mdf, BoardMap& map) {
  std::string why;
  if (const int fault = read_map(mdf.message, map, &why); fault != -1)
    return Fault{&mdf, fault, why};
  if (map.named_power_count() == 0) return Fault{&mdf, 1, "a map without powers"};
  if (const int fault = one_way(map, mdf.message); fault != -1)
    return Fault{&mdf, fault, "a move with no move back"};
  for (int p = 0; p < map.province_count; ++p) {
    if (map.on_map(p) && map.provinces[static_cast<std::size_t>(p)].is_supply_centre)
      return std::nullopt;
  }
  return Fault{&mdf, 2, "a map without supply centres"};
}

// The owners of the centres: powers of the map, centres of the map, each once at most.
Check check_owners(const Part& sco, const BoardMap& map) {
  std::set<int> owned;
  for (int i = 1; i < sco.message.sub_message_count(); ++i) {
    const TokenMessage entry = sco.message.sub_message(i);
    const int offset = content_position(sco.message, i, 0);
    const Token owner = entry.first_token();
    if (!entry.sub_message_is_single_token(0) ||
        (owner != tok::UNO &&
         (owner.category() != CATEGORY_POWER || !map.has_power(owner.subtoken()))))
      return Fault{&sco, offset, "an owner that is not a power of the map"};
    for (int k = 1; k < entry.sub_message_count(); ++k) {
      const int position = element_position(entry, k, offset);
      const Token centre = entry.token_at(entry.sub_message_start(k));
      if (!entry.sub_message_is_single_token(k) || !map.on_map(centre.subtoken()) ||
          !map.provinces[static_cast<std::size_t>(centre.subtoken())].is_supply_centre)
        return Fault{&sco, position, "not a supply centre of the map"};
      if (!owned.insert(centre.subtoken()).second)
        return Fault{&sco, position, "a centre owned twice"};
    }
  }
  return std::nullopt;
}

// The start: a turn, and units only, one a province, where the map has room for them.
Check check_start(const Part& now, const BoardMap& map) {
  const TokenMessage turn = now.message.sub_message(1);
  if (now.message.sub_message_is_single_token(1) || turn.length() != 2 ||
      !is_season(turn.first_token()) || !turn.token_at(1).is_number())
    return Fault{&now, 1, "the turn must be ( season year )"};
  BoardPosition position;
  if (const int fault = read_position(map, now.message, position); fault != -1)
    return Fault{&now, fault, unit_fault(map, now.message, fault)};
  std::set<int> occupied;
  for (int i = 2; i < now.message.sub_message_count(); ++i) {
    const int offset = element_position(now.message, i, 0);
    const TokenMessage unit = now.message.sub_message(i);
    if (unit.sub_message_count() != 3)
      return Fault{&now, offset, "a start position holds units only, none dislodged"};
    const TokenMessage place = unit.sub_message(2);
    const int province =
        (place.is_single_token() ? place.first_token() : place.token_at(0)).subtoken();
    if (!occupied.insert(province).second) return Fault{&now, offset, "two units in one province"};
  }
  return std::nullopt;
}

// The "#place" lines of the text, for the provinces of the map.
bool read_places(std::string_view text, const std::string& name, const BoardMap& map,
                 std::vector<MapPlace>& places, std::string& error) {
  std::istringstream lines{std::string(text)};
  std::string line;
  std::set<std::string> named;
  for (int number = 1; std::getline(lines, line); ++number) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 7, "#place ") != 0) continue;
    std::istringstream words(line.substr(start + 7));
    MapPlace place;
    std::string rest;
    if (!(words >> place.province >> place.x >> place.y) || (words >> rest) || place.x < 0 ||
        place.y < 0 || place.x > 100000 || place.y > 100000) {
      error = at(name, Place{number, static_cast<int>(start) + 1},
                 "a place is \"#place PROVINCE X Y\" with two numbers from 0 to 100000");
      return false;
    }
    std::transform(place.province.begin(), place.province.end(), place.province.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    bool found = false;
    for (int p = 0; p < map.province_count && !found; ++p)
      found = map.on_map(p) &&
              printed_text(TokenMessage(map.provinces[static_cast<std::size_t>(p)].token)) ==
                  place.province;
    if (!found || !named.insert(place.province).second) {
      error = at(name, Place{number, static_cast<int>(start) + 8},
                 place.province + (found ? " has a place already" : " is no province of the map"));
      return false;
    }
    places.push_back(place);
  }
  return true;
}

}  // namespace

MapFileReading read_map_text(std::string_view text, const std::string& name) {
  MapFileReading result;
  Lexed lexed;
  if (!lex(text, name, lexed, result.error)) return result;
  const Reader reader(lexed, name);
  std::vector<Part> parts;
  if (!reader.split(parts, result.error)) return result;
  const Part& mdf = parts[0];
  const Part& sco = parts[1];
  const Part& now = parts[2];
  BoardMap map;
  Check fault = check_map(mdf, map);
  if (!fault) fault = check_owners(sco, map);
  if (!fault) fault = check_start(now, map);
  if (fault) {
    result.error = reader.error(*fault->part, fault->position, fault->why);
    return result;
  }
  std::vector<MapPlace> places;
  if (!read_places(text, name, map, places, result.error)) return result;
  result.map = MapFile{name, mdf.message, sco.message, now.message, std::move(places)};
  return result;
}

MapFileReading read_map_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, path + ": cannot be read"};
  std::ostringstream text;
  text << in.rdbuf();
  MapFileReading reading = read_map_text(text.str(), path);
  if (reading.map) reading.map->name = std::filesystem::path(path).stem().string();
  return reading;
}

}  // namespace quorvel::rules
