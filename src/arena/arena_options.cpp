#include "arena/arena_options.h"

#include "arena/read_number.h"

#include <algorithm>
#include <thread>

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

}  // namespace

std::string arena_usage() {
  return "usage: quorvel-arena PLAYER... [--games N] [--seed S] [--last-year Y] [--jobs J]\n"
         "                     [--shard K/N] [--out FILE] [--record DIR] [--chart FILE] [--quiet]\n"
         "       quorvel-arena merge FILE...\n"
         "PLAYER: quorvel (built-in settings), quorvel:FILE (settings from FILE), greedy,\n"
         "        random or hold; one to seven, the last fills the remaining seats\n"
         "  --games N      games to play (70); the powers rotate round the board\n"
         "  --seed S       game i is played with seed S + i (1)\n"
         "  --last-year Y  the games are drawn after this year (1910)\n"
         "  --jobs J       games played at once (the number of cores)\n"
         "  --shard K/N    play only the games i with i mod N = K - 1\n"
         "  --out FILE     one JSON line per game\n"
         "  --record DIR   the record of each game (every message) as DIR/game-SEED.txt\n"
         "  --chart FILE   each player's mean centres per year, as an SVG chart\n"
         "  --quiet        no progress bar\n";
}

ParsedArenaOptions parse_arena_options(const std::vector<std::string>& args) {
  ParsedArenaOptions parsed;
  ArenaOptions& o = parsed.options;
  o.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  auto fail = [&](const std::string& why) {
    parsed.error = why;
    return parsed;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      if (o.players.size() == 7) return fail("more than seven players");
      std::string error;
      auto player = parse_player(arg, error);
      if (!player) return fail(error);
      o.players.push_back(std::move(*player));
      continue;
    }
    if (arg == "--quiet") {
      o.quiet = true;
      continue;
    }
    std::string value;
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return fail("option " + arg + " needs a value");
    }
    bool ok = true;
    if (arg == "--games") {
      ok = read_number(value, 1, 100000000, o.games);
    } else if (arg == "--seed") {
      ok = read_number<std::uint64_t>(value, 0, 1ULL << 62, o.seed);
    } else if (arg == "--last-year") {
      ok = read_number(value, 1901, 9999, o.last_year);
    } else if (arg == "--jobs") {
      ok = read_number(value, 1, 1024, o.jobs);
    } else if (arg == "--shard") {
      ok = read_shard(value, o.shard, o.shards);
    } else if (arg == "--out") {
      ok = !value.empty();
      o.out = value;
    } else if (arg == "--chart") {
      ok = !value.empty();
      o.chart = value;
    } else if (arg == "--record") {
      ok = !value.empty();
      o.record_dir = value;
    } else {
      return fail("unknown option " + arg);
    }
    if (!ok) return fail("bad value '" + value + "' for " + arg);
  }
  if (o.players.empty()) return fail("no player given");
  return parsed;
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
