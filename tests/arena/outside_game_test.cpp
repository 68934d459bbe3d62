#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "arena/game_result.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quorvel::arena {
namespace {

const std::string kFaulty = std::string("exec:") + QUORVEL_FAULTY_PLAYER + " ";

std::vector<GameResult> results_in(const std::filesystem::path& path) {
  std::vector<GameResult> results;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    auto result = from_json_line(line);
    EXPECT_TRUE(result) << line;
    if (result) results.push_back(std::move(*result));
  }
  return results;
}

// A process that still runs; a dead one waiting for its reaper does not.
bool running(long pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const std::size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

// Every process the faulty players wrote down (pid.txt, child-pid.txt) under the folder.
std::vector<long> programs_under(const std::filesystem::path& folder) {
  std::vector<long> pids;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "pid.txt" && name != "child-pid.txt") continue;
    long pid = 0;
    std::ifstream(entry.path()) >> pid;
    if (pid > 0) pids.push_back(pid);
  }
  return pids;
}

std::string arena_run(const testing::TempDir& dir, const std::vector<std::string>& args) {
  testing::ChildProcess arena(QUORVEL_ARENA_BINARY, args, dir.path());
  EXPECT_EQ(arena.wait_exit(120000), 0);
  return testing::read_file(dir / "stderr.txt");
}

// Each way a program fails is named with the phase it failed in, the game goes on to its
// end with the power in civil disorder, and nothing a program started outlives the run.
// The connect time leaves room for a loaded machine (a program opening 200 connections
// under the sanitizers took over 2 s to join), and so do the time limits; only the one
// that never connects and the one that falls silent wait them out.
TEST(OutsideGame, FailingProgramsAreNamedAndNoneIsLeftBehind) {
  testing::TempDir dir;
  const std::filesystem::path record = dir / "record";
  std::filesystem::create_directories(record);
  arena_run(dir, {kFaulty + "many {port}",
                  kFaulty + "never {port}",
                  kFaulty + "exit-at-hlo {port}",
                  kFaulty + "silent-1903 {port}",
                  kFaulty + "garbage {port}",
                  kFaulty + "flood {port}",
                  "greedy",
                  "--games",
                  "1",
                  "--last-year",
                  "1904",
                  "--jobs",
                  "1",
                  "--connect-time",
                  "6",
                  "--move-time",
                  "3",
                  "--retreat-time",
                  "3",
                  "--build-time",
                  "3",
                  "--record",
                  record.string(),
                  "--out",
                  (dir / "results.jsonl").string(),
                  "--quiet"});
  const std::vector<GameResult> results = results_in(dir / "results.jsonl");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].years, 4);
  std::map<std::string, std::string> ends;  // power -> "how in phase"
  for (const PowerResult& power : results[0].powers)
    ends[power.power] = power.program + " in " + power.failed_in;
  // The connections of the first cost the others nothing.
  EXPECT_EQ(ends["AUS"], "ok in ");
  EXPECT_EQ(ends["ENG"], "no-connect in S1901M");
  EXPECT_EQ(ends["FRA"], "exited 3 in S1901M");
  EXPECT_EQ(ends["GER"], "timeout in S1903M");
  EXPECT_EQ(ends["ITA"], "protocol in S1901M");
  EXPECT_EQ(ends["RUS"], "ok in ");
  EXPECT_EQ(ends["TUR"], " in ");
  const std::vector<long> pids = programs_under(record);
  EXPECT_EQ(pids.size(), 7u);  // the one that never connects started a child of its own
  for (long pid : pids)
    EXPECT_FALSE(running(pid)) << pid;
}

// A command that is not there is named, once however many games it fails, and the run
// goes on with its seats in civil disorder.
TEST(OutsideGame, ACommandThatDoesNotStartIsNamedAndItsSeatsAreEmpty) {
  testing::TempDir dir;
  const std::string said =
      arena_run(dir, {"exec:/nonexistent/bot", "greedy", "--games", "3", "--last-year", "1901",
                      "--out", (dir / "results.jsonl").string(), "--quiet"});
  EXPECT_NE(said.find("'/nonexistent/bot' ended before it joined its game (exited 127: not "
                      "found)"),
            std::string::npos)
      << said;
  EXPECT_EQ(said.find("ended before", said.find("ended before") + 1), std::string::npos) << said;
  const std::vector<GameResult> results = results_in(dir / "results.jsonl");
  ASSERT_EQ(results.size(), 3u);
  for (const GameResult& result : results) {
    for (const PowerResult& power : result.powers) {
      if (!power.program.empty()) {
        EXPECT_EQ(power.program, "no-connect");
      }
    }
  }
}

// Programs run in process groups of their own, which a Ctrl-C at the terminal does not
// reach: the arena stops them as it goes.
TEST(OutsideGame, AnInterruptedRunLeavesNoProgramBehind) {
  testing::TempDir dir;
  const std::filesystem::path record = dir / "record";
  std::filesystem::create_directories(record);
  testing::ChildProcess arena(QUORVEL_ARENA_BINARY,
                              {kFaulty + "never {port}", "greedy", "--games", "3", "--jobs", "1",
                               "--connect-time", "60", "--record", record.string(), "--quiet"},
                              dir.path());
  std::vector<long> pids;
  for (int i = 0; i < 500 && pids.size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pids = programs_under(record);
  }
  ASSERT_EQ(pids.size(), 2u);
  arena.signal(SIGINT);
  EXPECT_EQ(arena.wait_exit(10000), 130);
  for (long pid : pids)
    EXPECT_FALSE(running(pid)) << pid;
}

// Quorvel itself over a socket: it joins, orders every phase legally and leaves at the end.
TEST(OutsideGame, QuorvelPlaysAsAnOutsideProgram) {
  testing::TempDir dir;
  arena_run(dir, {std::string("exec:") + QUORVEL_BINARY, "greedy", "--games", "3", "--last-year",
                  "1903", "--jobs", "2", "--out", (dir / "results.jsonl").string(), "--quiet"});
  const std::vector<GameResult> results = results_in(dir / "results.jsonl");
  ASSERT_EQ(results.size(), 3u);
  for (const GameResult& result : results) {
    EXPECT_EQ(result.years, 3);
    EXPECT_EQ(result.refused(), 0);
    EXPECT_FALSE(result.failed()) << to_json_line(result);
  }
  // Its working folders went with the games.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::temp_directory_path() /
                                       ("quorvel-arena-" + std::to_string(::getpid()))));
}

}  // namespace
}  // namespace quorvel::arena
