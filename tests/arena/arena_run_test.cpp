#include "arena/arena_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "support/temp_dir.h"

namespace quorvel::arena {
namespace {

ArenaOptions options_for(const std::vector<std::string>& args) {
  const ParsedArenaOptions parsed = parse_arena_options(args);
  EXPECT_EQ(parsed.error, "");
  return parsed.options;
}

std::vector<std::string> lines_of(const ArenaOptions& options) {
  std::vector<std::string> lines;
  run_arena(options, [&](const GameResult& result) {
    EXPECT_FALSE(result.stalled) << result.seed;
    lines.push_back(to_json_line(result));
  });
  return lines;
}

TEST(ArenaRun, PowersRotateSoEveryPlayerPlaysEveryPower) {
  const ArenaOptions options = options_for({"hold", "random", "greedy"});
  std::map<std::string, std::map<int, int>> seats;  // player -> power -> games
  for (int game = 0; game < 7; ++game) {
    const auto by_power = seating(options.players, game, 7);
    EXPECT_EQ(by_power[static_cast<std::size_t>(game)]->label, "hold");
    EXPECT_EQ(by_power[static_cast<std::size_t>((game + 1) % 7)]->label, "random");
    for (int power = 0; power < 7; ++power)
      ++seats[by_power[static_cast<std::size_t>(power)]->label][power];
  }
  for (int power = 0; power < 7; ++power) {
    EXPECT_EQ(seats["hold"][power], 1);
    EXPECT_EQ(seats["random"][power], 1);
    EXPECT_EQ(seats["greedy"][power], 5);
  }
}

// Over 7·k games every player holds every power equally often: k times each for one seat
// a game, A·k and B·k under a line-up of A:B; the same options give the same seats.
TEST(ArenaRun, SeatsAreBalancedOverTheRotationAndLineUps) {
  for (const auto& [players, lineup] :
       std::vector<std::pair<std::vector<std::string>, std::optional<std::pair<int, int>>>>{
           {{"hold", "random", "greedy"}, std::nullopt},
           {{"hold", "random", "greedy", "honest", "liar", "exec:x", "quorvel"}, std::nullopt},
           {{"hold", "greedy"}, std::pair{3, 4}},
           {{"hold", "greedy"}, std::pair{1, 6}},
           {{"hold", "greedy"}, std::pair{6, 1}}}) {
    std::vector<std::string> args = players;
    if (lineup) {
      args.push_back("--lineup");
      args.push_back(std::to_string(lineup->first) + ":" + std::to_string(lineup->second));
    }
    const ArenaOptions options = options_for(args);
    const int k = 3;
    std::map<std::string, std::map<int, int>> seats;  // player -> power -> games
    for (int game = 0; game < 7 * k; ++game) {
      const auto by_power = lineup ? lineup_seating(options.players, *lineup, game, 7)
                                   : seating(options.players, game, 7);
      std::map<std::string, int> in_game;
      for (int power = 0; power < 7; ++power) {
        ++seats[by_power[static_cast<std::size_t>(power)]->label][power];
        ++in_game[by_power[static_cast<std::size_t>(power)]->label];
      }
      if (lineup) {
        EXPECT_EQ(in_game["hold"], lineup->first);
        EXPECT_EQ(in_game["greedy"], lineup->second);
      }
    }
    for (const auto& [player, powers] : seats) {
      const int expected = powers.begin()->second;
      EXPECT_EQ(expected % k, 0) << player;
      for (int power = 0; power < 7; ++power)
        EXPECT_EQ(powers.at(power), expected) << player << " " << power;
    }
  }
}

// Quorvel plays through the same handling as on a server: it gets its messages, orders
// every phase and no order of it is refused; the run's output is the same whatever the
// number of threads, and shards split it without overlap or gap.
TEST(ArenaRun, QuorvelGamesAreLegalAndRepeatableWhateverTheJobsAndShards) {
  const std::vector<std::string> base{"quorvel:" QUORVEL_DATA_DIR "/Quorvel.ini",
                                      "greedy",
                                      "--games",
                                      "6",
                                      "--last-year",
                                      "1903",
                                      "--seed",
                                      "40"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = base;
    args.insert(args.end(), extra.begin(), extra.end());
    return options_for(args);
  };
  const std::vector<std::string> alone = lines_of(with({"--jobs", "1"}));
  ASSERT_EQ(alone.size(), 6u);
  EXPECT_EQ(lines_of(with({"--jobs", "3"})), alone);

  std::multiset<std::string> sharded;
  for (const char* shard : {"1/4", "2/4", "3/4", "4/4"}) {
    for (const std::string& line : lines_of(with({"--shard", shard, "--jobs", "2"})))
      sharded.insert(line);
  }
  EXPECT_EQ(sharded, std::multiset<std::string>(alone.begin(), alone.end()));

  for (const std::string& line : alone) {
    const auto result = from_json_line(line);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->refused(), 0) << line;
    // The game started, so every Quorvel joined, and went on to the last year.
    EXPECT_TRUE(result->solo() || result->years == 3) << line;
  }
}

// Press between the players of a game is delivered in process in a fixed order: the same
// results whatever the number of threads; honest players and Quorvel never break their
// word, liars do; nobody's press is refused, at level 20 or 30, with the options of press
// games or without.
TEST(ArenaRun, PressGamesAreRepeatableAndRefereed) {
  auto run = [](std::vector<std::string> args) {
    // First, so that a test's own options stand over them.
    args.insert(args.begin(), {"--press", "20", "--last-year", "1903", "--seed", "5"});
    return lines_of(options_for(args));
  };
  const std::vector<std::string> mixed = run({"quorvel:" QUORVEL_DATA_DIR "/Quorvel.ini", "honest",
                                              "liar", "--games", "4", "--jobs", "1"});
  EXPECT_EQ(run({"quorvel:" QUORVEL_DATA_DIR "/Quorvel.ini", "honest", "liar", "--games", "4",
                 "--jobs", "2"}),
            mixed);
  int liar_breaches = 0;
  for (const std::string& line : mixed) {
    const auto result = from_json_line(line);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->press_level, 20);
    EXPECT_EQ(result->refused(), 0) << line;
    for (const PowerResult& power : result->powers) {
      EXPECT_EQ(power.press_refused, 0) << line;
      // Quorvel negotiates too, and keeps its word.
      if (power.player != "liar") {
        EXPECT_EQ(power.broken, 0) << line;
      }
      if (power.player == "liar") liar_breaches += power.broken;
      EXPECT_GT(power.press, 0) << line;
    }
  }
  EXPECT_GT(liar_breaches, 0);
  for (const std::string& line : run({"quorvel", "--games", "2"})) {
    const auto result = from_json_line(line);
    ASSERT_TRUE(result);
    for (const PowerResult& power : result->powers) {
      EXPECT_EQ(power.broken, 0) << line;
      EXPECT_EQ(power.press_refused, 0) << line;
    }
  }
  for (const std::string& line :
       run({"quorvel", "--games", "2", "--press", "30", "--press-options", "NPR,NPB,PDA"})) {
    const auto result = from_json_line(line);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->press_level, 30);
    for (const PowerResult& power : result->powers) {
      EXPECT_EQ(power.broken, 0) << line;
      EXPECT_EQ(power.press_refused, 0) << line;
      EXPECT_GT(power.agreements, 0) << line;
    }
  }
  for (const std::string& line : run({"honest", "--games", "2"})) {
    const auto result = from_json_line(line);
    ASSERT_TRUE(result);
    int agreements = 0;
    for (const PowerResult& power : result->powers) {
      EXPECT_EQ(power.broken, 0) << line;
      agreements += power.agreements;
    }
    EXPECT_GT(agreements, 0) << line;
  }
}

// On every shipped map: each game ends, nothing Quorvel orders is refused, each power of
// the map has a seat and no other.
TEST(ArenaRun, EveryShippedMapIsPlayedToTheEnd) {
  const std::pair<const char*, std::set<std::string>> maps[] = {
      {"standard_france_austria.map", {"AUS", "FRA"}},
      {"pure.map", {"AUS", "ENG", "FRA", "GER", "ITA", "RUS", "TUR"}},
      {"west.map", {"ENG", "FRA", "ITA"}}};
  for (const auto& [file, powers] : maps) {
    ArenaOptions options = options_for({"quorvel:" QUORVEL_DATA_DIR "/Quorvel.ini", "greedy",
                                        "--map", std::string(QUORVEL_DATA_DIR "/maps/") + file,
                                        "--games", "4", "--last-year", "1906", "--press", "20"});
    options.jobs = 2;
    const std::vector<GameResult> results = run_arena(options, nullptr);
    ASSERT_EQ(results.size(), 4u);
    for (const GameResult& result : results) {
      EXPECT_FALSE(result.stalled) << file;
      std::set<std::string> seated;
      for (const PowerResult& seat : result.powers) {
        seated.insert(seat.power);
        EXPECT_EQ(seat.refused, 0) << file << " " << seat.power;
        EXPECT_EQ(seat.broken, 0) << file << " " << seat.power;
      }
      EXPECT_EQ(seated, powers) << file;
      for (const auto& [year, counts] : result.centres_by_year)
        EXPECT_EQ(counts.size(), powers.size()) << file << " " << year;
    }
  }
}

// A program runs in a folder of its own: its server's address goes where the command asks
// (else as the DAIDE convention has it), and paths from here are given whole.
TEST(ArenaOptions, OutsideCommandsGetTheirServerAndWholePaths) {
  EXPECT_EQ(program_command("bot --at {host}:{port} --again {port}", "127.0.0.1", 4000),
            "bot --at 127.0.0.1:4000 --again 4000");
  EXPECT_EQ(program_command("wine bot.exe", "127.0.0.1", 4000), "wine bot.exe -s127.0.0.1 -p4000");
  testing::TempDir dir;
  testing::write_file(dir / "bot.py", "print()\n");
  testing::WorkingDirectory here(dir.path());
  const std::string whole = (std::filesystem::current_path() / "bot.py").string();
  EXPECT_EQ(whole_paths("python3 ./bot.py --name x/y"), "python3 " + whole + " --name x/y");
  EXPECT_EQ(whole_paths("python3 './bot.py'"), "python3 './bot.py'");
  const std::optional<ArenaPlayer> player = [] {
    std::string error;
    return parse_player("exec:python3 ./bot.py", error);
  }();
  ASSERT_TRUE(player);
  EXPECT_TRUE(player->is_outside());
  EXPECT_FALSE(player->is_quorvel());
  EXPECT_EQ(player->label, "exec:python3 ./bot.py");
  EXPECT_EQ(player->command, "python3 " + whole);
}

TEST(ArenaOptions, BadPlayersAndValuesAreNamed) {
  testing::TempDir dir;
  testing::write_file(dir / "binary.ini", std::string("\x01\x02\x03", 3));
  const std::string binary = (dir / "binary.ini").string();
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"quorvle"}, "unknown player 'quorvle'"},
      {{"quorvel:/nonexistent/x.ini"}, "'/nonexistent/x.ini' does not exist"},
      {{"quorvel:" + binary}, "cannot be read as settings"},
      {{"greedy", "--games", "0"}, "bad value '0' for --games"},
      {{"greedy", "--shard", "3/2"}, "bad value '3/2' for --shard"},
      {{"greedy", "--jobs"}, "--jobs needs a value"},
      {{"greedy", "--colour", "red"}, "unknown option --colour"},
      {{"--games", "5"}, "no player given"},
      {{"hold", "hold", "hold", "hold", "hold", "hold", "hold", "hold"},
       "more players than the map has powers (7)"},
      {{"hold", "hold", "hold", "hold", "--map", QUORVEL_DATA_DIR "/maps/west.map"},
       "more players than the map has powers (3)"},
      {{"hold", "--map", "/nonexistent/x.map"}, "/nonexistent/x.map: cannot be read"},
      {{"hold", "--press", "20", "--press-options", "NPR,XYZ"}, "bad value 'NPR,XYZ'"},
      {{"hold", "--press", "20", "--press-options", "PTL=-1"}, "bad value 'PTL=-1'"},
      {{"hold", "--press-options", "NPR"}, "need a press level of 10 or more"},
      {{"exec:", "greedy"}, "exec: names no command"},
      {{"hold", "greedy", "--lineup", "3:3"}, "--lineup takes two players"},
      {{"hold", "greedy", "random", "--lineup", "3:4"}, "--lineup takes two players"},
      {{"hold", "greedy", "--lineup", "3-4"}, "bad value '3-4' for --lineup"},
      {{"quorvel", "exec:prog", "--press", "20"}, "takes no in-process quorvel"},
      {{"exec:prog", "--move-time", "0"}, "bad value '0' for --move-time"},
  };
  for (const auto& [args, why] : cases) {
    const std::string error = parse_arena_options(args).error;
    EXPECT_NE(error.find(why), std::string::npos) << why << ": " << error;
  }
  const ArenaOptions o = options_for({"greedy", "--games=5", "--shard", "2/3", "--quiet"});
  EXPECT_EQ(o.games, 5);
  EXPECT_EQ(o.shard, 2);
  EXPECT_EQ(o.shards, 3);
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(games_of_run(o), (std::vector<int>{1, 4}));
}

}  // namespace
}  // namespace quorvel::arena
