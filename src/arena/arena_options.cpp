#include "arena/arena_options.h"

#include <algorithm>
#include <thread>

#include "arena/option_reader.h"
#include "base/number_text.h"
#include "game/board_map.h"
#include "rules/standard_map.h"
#include "server/server_options.h"

namespace quorvel::arena {

namespace {

bool read_shard(const std::string& text, int& shard, int& shards) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  int k = 0;
  int n = 0;
  if (!read_number(text.substr(0, slash), 1, 1000000, k) ||
      !read_number(text.substr(slash + 1), 1, 1000000, n) || k > n)
    return false;
  shard = k;
  shards = n;
  return true;
}

// PDA,NPR,NPB,PTL=SECONDS: any of them, in any order.
bool read_press_options(const std::string& text, GameVariant& variant) {
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    if (!server::read_press_option(text.substr(start, comma - start), variant)) return false;
    start = comma + 1;
  }
  return true;
}

// A:B, two counts of seats.
bool read_lineup(const std::string& text, std::optional<std::pair<int, int>>& lineup) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  int a = 0;
  int b = 0;
  if (!read_number(text.substr(0, colon), 1, kMaxPowers, a) ||
      !read_number(text.substr(colon + 1), 1, kMaxPowers, b))
    return false;
  lineup = std::pair{a, b};
  return true;
}

}  // namespace

std::string arena_usage() {
  return "usage: quorvel-arena PLAYER... [--games N] [--seed S] [--last-year Y] [--press LEVEL]\n"
         "                     [--press-options LIST] [--map FILE] [--jobs J] [--shard K/N]\n"
         "                     [--out FILE] [--record DIR] [--chart FILE] [--quiet]\n"
         "       quorvel-arena merge [--void-failed] FILE...\n"
         "PLAYER: quorvel (built-in settings), quorvel:FILE (settings from FILE), greedy,\n"
         "        random, hold, honest, liar, or exec:COMMAND (a DAIDE client program started\n"
         "        for each of its seats, {host} and {port} in COMMAND replaced by its game's\n"
         "        server, else -s{host} -p{port} appended); one per power at most, the last\n"
         "        fills the rest\n"
         "  --games N      games to play (70); the powers rotate round the board\n"
         "  --seed S       game i is played with seed S + i (1)\n"
         "  --last-year Y  the games are drawn after this year (1910)\n"
         "  --press LEVEL  the press level of the games: 0 none (0), 10 peace and alliances,\n"
         "                 20 also order proposals, 30 also AND and ORR\n"
         "  --press-options LIST\n"
         "                 options of the press games, with a comma between them: PDA\n"
         "                 (partial draws), NPR (no press in retreats), NPB (none in\n"
         "                 adjustments), PTL=SECONDS (none near a movement time limit)\n"
         "  --map FILE     the map and the start of the games, as MDF, SCO and NOW in a text\n"
         "                 file (see data/maps; the standard map when not given)\n"
         "  --jobs J       games played at once (the number of cores)\n"
         "  --shard K/N    play only the games i with i mod N = K - 1\n"
         "  --out FILE     one JSON line per game\n"
         "  --record DIR   the record of each game (every message) as DIR/game-SEED.txt,\n"
         "                 the saved game as game-SEED.json and its board page as\n"
         "                 game-SEED.html\n"
         "  --chart FILE   each player's mean centres per year, as an SVG chart\n"
         "  --quiet        no progress bar\n"
         "  --lineup A:B   two players, A seats of the first and B of the second in every\n"
         "                 game, every power equally often\n"
         "outside programs (exec:):\n"
         "  --connect-time S  seconds for a program to connect and join (30)\n"
         "  --move-time S     time limit of movement phases (60), --retreat-time S of\n"
         "                    retreats (30), --build-time S of adjustments (30); a program\n"
         "                    that misses one is stopped and its power is in civil disorder\n"
         "  --void-failed     games in which a program failed are left out of the scores\n";
}

ParsedArenaOptions parse_arena_options(const std::vector<std::string>& args) {
  ParsedArenaOptions parsed;
  ArenaOptions& o = parsed.options;
  std::string map_file;
  bool press_options = false;
  o.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  auto path = [](std::string& field) {
    return [&field](const std::string& value) {
      field = value;
      return !value.empty();
    };
  };
  const std::vector<OptionSpec> options = {
      {"--games", [&](const std::string& v) { return read_number(v, 1, 100000000, o.games); }},
      {"--seed",
       [&](const std::string& v) { return read_number<std::uint64_t>(v, 0, 1ULL << 62, o.seed); }},
      {"--last-year",
       [&](const std::string& v) { return read_number(v, 1901, 9999, o.last_year); }},
      {"--jobs", [&](const std::string& v) { return read_number(v, 1, 1024, o.jobs); }},
      {"--shard", [&](const std::string& v) { return read_shard(v, o.shard, o.shards); }},
      {"--press", [&](const std::string& v) { return read_number(v, 0, 8000, o.press.level); }},
      {"--press-options",
       [&](const std::string& v) { return press_options = read_press_options(v, o.press); }},
      {"--map", path(map_file)},
      {"--out", path(o.out)},
      {"--chart", path(o.chart)},
      {"--record", path(o.record_dir)},
      {"--quiet", [&](const std::string&) { return o.quiet = true; }, true},
      {"--connect-time",
       [&](const std::string& v) { return read_number(v, 1, 3600, o.connect_seconds); }},
      {"--move-time",
       [&](const std::string& v) { return read_number(v, 1, 86400, o.move_seconds); }},
      {"--retreat-time",
       [&](const std::string& v) { return read_number(v, 1, 86400, o.retreat_seconds); }},
      {"--build-time",
       [&](const std::string& v) { return read_number(v, 1, 86400, o.build_seconds); }},
      {"--void-failed", [&](const std::string&) { return o.void_failed = true; }, true},
      {"--lineup", [&](const std::string& v) { return read_lineup(v, o.lineup); }},
  };
  parsed.error = read_options(args, options, [&](const std::string& name) -> std::string {
    if (o.players.size() == static_cast<std::size_t>(kMaxPowers)) return "too many players";
    std::string error;
    auto player = parse_player(name, error);
    if (!player) return error;
    o.players.push_back(std::move(*player));
    return "";
  });
  if (parsed.error.empty() && o.players.empty()) parsed.error = "no player given";
  if (parsed.error.empty() && press_options && o.press.level < 10)
    parsed.error = "--press-options need a press level of 10 or more";
  if (parsed.error.empty() && !map_file.empty()) {
    rules::MapFileReading reading = rules::read_map_file(map_file);
    if (!reading.map) {
      parsed.error = reading.error;
      return parsed;
    }
    o.map = std::move(reading.map);
  }
  if (parsed.error.empty()) {
    BoardMap map;
    const int powers = read_map(o.map ? o.map->mdf : rules::standard_map_file().mdf, map) == -1
                           ? map.named_power_count()
                           : 0;
    if (static_cast<int>(o.players.size()) > powers)
      parsed.error = "more players than the map has powers (" + std::to_string(powers) + ")";
    if (parsed.error.empty() && o.lineup &&
        (o.players.size() != 2 || o.lineup->first + o.lineup->second != powers))
      parsed.error = "--lineup takes two players and seats for all " + std::to_string(powers) +
                     " powers of the map";
  }
  const bool outside = std::any_of(o.players.begin(), o.players.end(),
                                   [](const ArenaPlayer& p) { return p.is_outside(); });
  const bool quorvel = std::any_of(o.players.begin(), o.players.end(),
                                   [](const ArenaPlayer& p) { return p.is_quorvel(); });
  // In-process Quorvels wait for press answers in rounds the arena drives; a game with
  // outside programs runs on their time.
  if (parsed.error.empty() && outside && quorvel && o.press.level > 0)
    parsed.error =
        "a press game with outside programs takes no in-process quorvel: run it as "
        "exec:build/quorvel";
  return parsed;
}

std::vector<const ArenaPlayer*> lineup_seating(const std::vector<ArenaPlayer>& players,
                                               std::pair<int, int> lineup, int game, int powers) {
  std::vector<const ArenaPlayer*> by_power(static_cast<std::size_t>(powers));
  for (int power = 0; power < powers; ++power) {
    const int slot = ((power - game % powers) % powers + powers) % powers;
    by_power[static_cast<std::size_t>(power)] = &players[slot < lineup.first ? 0 : 1];
  }
  return by_power;
}

std::vector<const ArenaPlayer*> seating(const std::vector<ArenaPlayer>& players, int game,
                                        int powers) {
  std::vector<const ArenaPlayer*> by_power(static_cast<std::size_t>(powers));
  const int last = static_cast<int>(players.size()) - 1;
  for (int power = 0; power < powers; ++power) {
    const int slot = ((power - game % powers) % powers + powers) % powers;
    by_power[static_cast<std::size_t>(power)] =
        &players[static_cast<std::size_t>(std::min(slot, last))];
  }
  return by_power;
}

}  // namespace quorvel::arena
