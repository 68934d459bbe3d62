#include <gtest/gtest.h>

#include <cmath>

#include "arena/game_result.h"
#include "arena/summary.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quorvel::arena {
namespace {

GameResult game(std::uint64_t seed, const std::string& winner,
                std::vector<std::pair<std::string, int>> seats) {
  static const char* const kPowers[] = {"AUS", "ENG", "FRA", "GER", "ITA", "RUS", "TUR"};
  GameResult result;
  result.seed = seed;
  result.years = 10;
  result.winner = winner;
  for (std::size_t i = 0; i < seats.size(); ++i) {
    PowerResult power;
    power.power = kPowers[i];
    power.player = seats[i].first;
    power.centres = seats[i].second;
    result.powers.push_back(power);
  }
  return result;
}

TEST(GameResult, LinesReadBackAndOddLinesAreRefused) {
  GameResult result = game(12, "", {{"greedy", 4}, {"quorvel:a\"b\\.ini", 5}});
  result.powers[1].refused = 2;
  const std::string line = to_json_line(result);
  EXPECT_EQ(line.rfind("{\"seed\": 12, \"years\": 10, \"result\": \"draw\", \"winner\": null, "
                       "\"refused\": 2, \"powers\": [",
                       0),
            0u)
      << line;
  EXPECT_NE(
      line.find("{\"power\": \"AUS\", \"player\": \"greedy\", \"centres\": 4, \"refused\": 0}"),
      std::string::npos);
  const auto back = from_json_line(line);
  ASSERT_TRUE(back);
  EXPECT_EQ(to_json_line(*back), line);

  result.winner = "FRA";
  EXPECT_NE(to_json_line(result).find("\"result\": \"solo\", \"winner\": \"FRA\""),
            std::string::npos);
  for (const char* bad : {"", "{", "[]", "{\"seed\": -1}", "{\"seed\": 1, \"years\": 10}",
                          "{\"seed\": 1, \"years\": 1, \"winner\": 3, \"powers\": []}"}) {
    EXPECT_FALSE(from_json_line(bad)) << bad;
  }
}

TEST(GameResult, PressGamesCarryTheirLevelAndEachPowersPress) {
  GameResult result = game(3, "", {{"honest", 4}, {"liar", 5}});
  result.press_level = 20;
  result.powers[1].press = 7;
  result.powers[1].agreements = 3;
  result.powers[1].broken = 2;
  result.powers[1].press_refused = 1;
  result.drawn = {"AUS", "ENG"};
  const std::string line = to_json_line(result);
  EXPECT_EQ(line.rfind("{\"seed\": 3, \"years\": 10, \"press\": 20, \"result\": \"draw\", "
                       "\"winner\": null, \"draw\": [\"AUS\", \"ENG\"], \"refused\"",
                       0),
            0u)
      << line;
  EXPECT_NE(line.find("\"refused\": 0, \"press\": 7, \"agreements\": 3, \"broken\": 2, "
                      "\"press_refused\": 1}"),
            std::string::npos);
  const auto back = from_json_line(line);
  ASSERT_TRUE(back);
  EXPECT_EQ(to_json_line(*back), line);
}

// The standard scoring of bot tournaments: a solo takes all; a draw, or a game cut off at
// its last year, is shared by the survivors.
TEST(Summary, ScoresOfSolosAndDraws) {
  const GameResult solo =
      game(1, "ENG", {{"a", 0}, {"b", 18}, {"c", 16}, {"c", 0}, {"c", 0}, {"c", 0}, {"c", 0}});
  EXPECT_EQ(daide_scores(solo), (std::vector<double>{-1, 6, -1, -1, -1, -1, -1}));
  const GameResult draw =
      game(2, "", {{"a", 0}, {"b", 10}, {"c", 10}, {"c", 0}, {"c", 8}, {"c", 5}, {"c", 1}});
  const double share = 7.0 / 5 - 1;
  EXPECT_EQ(daide_scores(draw), (std::vector<double>{-1, share, share, -1, share, share, share}));
  const std::vector<PlayerSummary> players = summarize({solo, draw});
  EXPECT_DOUBLE_EQ(players[0].mean_score, -1);
  EXPECT_DOUBLE_EQ(players[1].mean_score, (6 + share) / 2);
  // c's five seats make one sample per game.
  EXPECT_DOUBLE_EQ(players[2].mean_score, (-1 + (4 * share - 1) / 5) / 2);
  // A draw the game allowed to name its powers is shared by those alone.
  GameResult partial = draw;
  partial.drawn = {"ENG", "FRA"};
  EXPECT_EQ(daide_scores(partial), (std::vector<double>{-1, 2.5, 2.5, -1, -1, -1, -1}));
}

TEST(Summary, SumOfSquaresAndFailedPrograms) {
  const GameResult solo =
      game(1, "ENG", {{"a", 0}, {"b", 18}, {"c", 16}, {"c", 0}, {"c", 0}, {"c", 0}, {"c", 0}});
  EXPECT_EQ(sum_of_squares_scores(solo), (std::vector<double>{0, 1, 0, 0, 0, 0, 0}));
  GameResult draw =
      game(2, "", {{"a", 4}, {"b", 10}, {"c", 10}, {"c", 0}, {"c", 8}, {"c", 2}, {"c", 0}});
  const std::vector<double> squares = sum_of_squares_scores(draw);
  EXPECT_DOUBLE_EQ(squares[0], 16.0 / 284);
  EXPECT_DOUBLE_EQ(squares[1], 100.0 / 284);
  EXPECT_DOUBLE_EQ(squares[3], 0);

  // a's program failed in the draw: with the failed games voided only the solo counts,
  // and the failure is counted either way.
  draw.powers[0].program = "timeout";
  draw.powers[0].failed_in = "F1903M";
  GameResult line = *from_json_line(to_json_line(draw));
  EXPECT_EQ(line.powers[0].program, "timeout");
  EXPECT_EQ(line.powers[0].failed_in, "F1903M");
  EXPECT_TRUE(line.failed());
  EXPECT_NE(to_json_line(draw).find("\"program\": \"timeout\", \"failed_in\": \"F1903M\""),
            std::string::npos);
  const std::vector<PlayerSummary> all = summarize({solo, draw});
  EXPECT_EQ(all[0].games, 2);
  EXPECT_EQ(all[0].failed, 1);
  EXPECT_EQ(all[0].program_seats, 1);
  EXPECT_DOUBLE_EQ(all[1].mean_squares, (1 + 100.0 / 284) / 2);
  const std::vector<PlayerSummary> voided = summarize({solo, draw}, true);
  EXPECT_EQ(voided[0].games, 1);
  EXPECT_EQ(voided[0].failed, 1);
  EXPECT_DOUBLE_EQ(voided[1].mean_squares, 1);
}

// A game is one sample of a player: the mean of its seats in that game.
TEST(Summary, EachGameIsOneSampleOfEachPlayer) {
  const std::vector<GameResult> results{
      game(1, "", {{"q", 2}, {"g", 0}, {"g", 6}}),
      game(2, "ENG", {{"q", 4}, {"g", 18}, {"g", 0}}),
      game(3, "", {{"q", 6}, {"g", 1}, {"g", 1}}),
  };
  const std::vector<PlayerSummary> players = summarize(results);
  ASSERT_EQ(players.size(), 2u);
  EXPECT_EQ(players[0].player, "q");
  EXPECT_EQ(players[0].games, 3);
  EXPECT_DOUBLE_EQ(players[0].mean_centres, 4.0);
  // Standard deviation 2 over 3 games, Student's t with 2 degrees of freedom.
  EXPECT_NEAR(players[0].interval, 4.303 * 2 / std::sqrt(3.0), 1e-9);
  EXPECT_EQ(players[1].games, 3);
  EXPECT_DOUBLE_EQ(players[1].mean_centres, 26.0 / 6);
  EXPECT_EQ(players[1].solos, 1);
  EXPECT_EQ(players[1].eliminations, 2);
}

std::string run(const std::vector<std::string>& args, const testing::TempDir& dir,
                int expected_status) {
  testing::ChildProcess arena(QUORVEL_ARENA_BINARY, args, dir.path());
  EXPECT_EQ(arena.wait_exit(60000), expected_status);
  return testing::read_file(dir / "stdout.txt");
}

TEST(ArenaProgram, ShardsMergeIntoTheWholeRunAndBadInputWritesNothing) {
  testing::TempDir dir;
  const std::vector<std::string> game{"greedy", "random", "--games", "9", "--last-year", "1904"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = game;
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  const std::string whole = run(with({"--out", "all.jsonl"}), dir, 0);
  run(with({"--shard", "1/2", "--out", "a.jsonl", "--quiet"}), dir, 0);
  run(with({"--shard", "2/2", "--out", "b.jsonl", "--quiet"}), dir, 0);
  const std::string merged = run({"merge", "a.jsonl", "b.jsonl"}, dir, 0);
  // The same table; the merge counts games where the run timed them.
  ASSERT_NE(whole.find("\n9 games in "), std::string::npos) << whole;
  EXPECT_EQ(merged.substr(0, merged.find("\n9 games")), whole.substr(0, whole.find("\n9 games")));
  EXPECT_NE(whole.find("greedy"), std::string::npos);

  testing::write_file(dir / "broken.jsonl", testing::read_file(dir / "a.jsonl") + "{oops\n");
  run({"merge", "broken.jsonl"}, dir, 2);
  EXPECT_NE(testing::read_file(dir / "stderr.txt").find("broken.jsonl:"), std::string::npos);
  run({"greedy", "bogus", "--out", "never.jsonl"}, dir, 2);
  EXPECT_NE(testing::read_file(dir / "stderr.txt").find("unknown player 'bogus'"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "never.jsonl"));
  testing::write_file(
      dir / "bad.map",
      "MDF ( FRA ) ( ( ( FRA PAR ) ) ( ) )\n( ( PAR ( AMY BUR ) ) )\nSCO\nNOW ( SPR 1901 )");
  run({"greedy", "--map", "bad.map", "--out", "never.jsonl", "--record", "records"}, dir, 2);
  EXPECT_NE(testing::read_file(dir / "stderr.txt")
                .find("bad.map:2:15: a destination that is not a province of the map"),
            std::string::npos)
      << testing::read_file(dir / "stderr.txt");
  EXPECT_FALSE(std::filesystem::exists(dir / "never.jsonl"));
  EXPECT_FALSE(std::filesystem::exists(dir / "records"));
  // Asking a subcommand for help is no bad option.
  EXPECT_EQ(run({"tune", "--help"}, dir, 0).rfind("usage: quorvel-arena tune", 0), 0u);
}

}  // namespace
}  // namespace quorvel::arena
