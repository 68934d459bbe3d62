// make play's script, as a user runs it twice at the same moment: seven quorvel programs
// play against quorvel-server over TCP in each.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

namespace fs = std::filesystem;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

TEST(PlayScript, GamesStartedTogetherKeepTheirOwnFoldersNamedAfterThePowers) {
  testing::TempDir dir;
  const fs::path games = dir / "games";
  const std::string env =
      "GAMES=" + games.string() + " BUILD=" + QUORVEL_BUILD_DIR + " QUORVEL=7 LAST_YEAR=1901";
  const std::string script = std::string(QUORVEL_SOURCE_DIR) + "/tools/play.sh";
  std::vector<std::unique_ptr<testing::ChildProcess>> runs;
  std::vector<std::unique_ptr<testing::TempDir>> outputs;
  for (int i = 0; i < 2; ++i) {
    outputs.push_back(std::make_unique<testing::TempDir>());
    runs.push_back(std::make_unique<testing::ChildProcess>(
        "/bin/sh", std::vector<std::string>{"-c", "env " + env + " " + script},
        outputs.back()->path()));
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    ASSERT_EQ(runs[i]->wait_exit(180000), 0)
        << testing::read_file(outputs[i]->path() / "stdout.txt")
        << testing::read_file(outputs[i]->path() / "stderr.txt");
  }

  std::set<fs::path> folders;
  for (const auto& entry : fs::directory_iterator(games)) {
    if (entry.is_directory()) folders.insert(entry.path());
  }
  ASSERT_EQ(folders.size(), 2u);
  const std::set<std::string> powers{"AUS", "ENG", "FRA", "GER", "ITA", "RUS", "TUR"};
  for (const fs::path& game : folders) {
    const std::string record = testing::read_file(game / "game.txt");
    EXPECT_EQ(count(record, " plays Quorvel 1.1"), 7u) << game;
    EXPECT_EQ(count(record, "Result: draw after 1901"), 1u) << game;
    // Every order of the bots is taken, but waives that come after their winter: a power
    // owed builds with no free home centre is not waited for.
    std::istringstream lines(record);
    for (std::string line; std::getline(lines, line);) {
      if (line.find(" << THX ") == std::string::npos) continue;
      const bool taken = line.ends_with("( MBV )");
      EXPECT_TRUE(taken || line.find(" WVE ) ( NRS )") != std::string::npos) << line;
    }
    // Both movement phases order all 22 units, bar the rare one lost in the spring, and the
    // winter is played; how many build depends on the bounces.
    EXPECT_GE(count(record, " << THX "), 40u);
    EXPECT_GT(count(record, " BLD ) ( MBV )"), 0u);
    std::set<std::string> seats;
    for (const auto& entry : fs::directory_iterator(game)) {
      if (!entry.is_directory()) continue;
      seats.insert(entry.path().filename().string());
      // The close after OFF is the expected end of the game.
      EXPECT_EQ(testing::read_file(entry.path() / "stderr.txt"), "") << entry.path();
    }
    EXPECT_EQ(seats, powers) << game;
    const std::string chart = testing::read_file(game / "centres.svg");
    EXPECT_EQ(count(chart, "<polyline"), 7u);
    EXPECT_NE(chart.find("Centres per year: draw after 1901"), std::string::npos);
  }
  for (const auto& output : outputs) {
    const std::string said = testing::read_file(output->path() / "stdout.txt");
    EXPECT_NE(said.find("The chart of the game: " + games.string()), std::string::npos) << said;
  }
}

// Seven negotiating Quorvels on the server at level 20, with no press in retreats or
// adjustments nor in the last 2 of a movement phase's 5 seconds: every SND names its turn,
// and none of their press is refused or not understood.
TEST(PlayScript, SevenNegotiatorsKeepToTheLevelAndTheOptionsOfTheGame) {
  testing::TempDir dir;
  const fs::path games = dir / "games";
  // A copy of the shipped settings: a winner's mutated settings are written back to them.
  const fs::path settings = dir / "Quorvel.ini";
  fs::copy_file(fs::path(QUORVEL_SOURCE_DIR) / "data" / "Quorvel.ini", settings);
  const std::string env = "GAMES=" + games.string() + " BUILD=" + QUORVEL_BUILD_DIR +
                          " QUORVEL=7 LAST_YEAR=1902 PRESS=20 SETTINGS=" + settings.string();
  testing::TempDir output;
  testing::ChildProcess run("/bin/sh",
                            {"-c", "env " + env + " SERVER_OPTIONS='-m5 -vNPR -vNPB -vPTL=2' " +
                                       QUORVEL_SOURCE_DIR + "/tools/play.sh"},
                            output.path());
  ASSERT_EQ(run.wait_exit(180000), 0) << testing::read_file(output.path() / "stderr.txt");
  fs::path game;
  for (const auto& entry : fs::directory_iterator(games)) {
    if (entry.is_directory()) game = entry.path();
  }
  const std::string record = testing::read_file(game / "game.txt");
  EXPECT_NE(record.find("( ( LVL 20 ) ( MTL 5 ) ( NPR ) ( NPB ) ( PTL 2 ) )"), std::string::npos);
  int sent = 0;
  std::istringstream lines(record);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(") >> SND ") != std::string::npos) {
      ++sent;
      const std::size_t at = line.find(">> SND ( ") + 9;
      const std::string season = line.substr(at, 3);
      EXPECT_TRUE(season == "SPR" || season == "FAL") << line;
    }
    EXPECT_EQ(line.find("<< HUH ( SND"), std::string::npos) << line;
    EXPECT_EQ(line.find("<< REJ ( SND"), std::string::npos) << line;
  }
  EXPECT_GT(sent, 20);
  EXPECT_GT(count(record, "referee: agreement"), 0u);
  EXPECT_EQ(count(record, "breach"), 0u);
}

}  // namespace
}  // namespace quorvel
