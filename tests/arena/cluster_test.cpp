// The arena and the tuner under mpirun, with every rank on this machine: the same files as
// one process, and a rank that dies stops the run without losing what was written.
#include "arena/cluster.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "settings/builtin_settings.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace quorvel::arena {
namespace {

#ifdef QUORVEL_MPIEXEC
constexpr const char* kMpiexec = QUORVEL_MPIEXEC;
#else
constexpr const char* kMpiexec = "";
#endif

// mpirun on this host only, as root too (CI runs as root), the ranks free of the leak
// check (the MPI library keeps what it allocates until the process ends).
std::vector<std::string> mpirun(int ranks, const std::vector<std::string>& args) {
  std::vector<std::string> all{"--allow-run-as-root",
                               "--oversubscribe",
                               "--host",
                               "localhost:" + std::to_string(ranks),
                               "-np",
                               std::to_string(ranks),
                               "-x",
                               "ASAN_OPTIONS=detect_leaks=0",
                               QUORVEL_ARENA_BINARY};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

int run(const std::string& program, const std::vector<std::string>& args,
        const testing::TempDir& dir) {
  testing::ChildProcess child(program, args, dir.path());
  return child.wait_exit(120000).value_or(-1);
}

class ClusterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Cluster::built_with_mpi() || std::string(kMpiexec).empty())
      GTEST_SKIP() << "built without MPI";
    // The tuner's games against its own settings: without the search, which is not what
    // these tests are about and costs most under the sanitizers.
    IniStore plain = builtin_settings();
    plain.setValue("Search", "budgetMilliseconds", "0", true);
    plain.setValue("Search", "lookAheadCandidates", "0", true);
    plain.setFileName((dir / "plain.ini").string());
    ASSERT_TRUE(plain.save());
  }
  testing::TempDir dir;
};

TEST_F(ClusterTest, TwoRanksWriteWhatOneProcessWrites) {
  const std::vector<std::string> arena{"quorvel",     "greedy", "--games", "12",
                                       "--last-year", "1904",   "--quiet"};
  auto with = [](std::vector<std::string> args, const std::vector<std::string>& extra) {
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  ASSERT_EQ(run(QUORVEL_ARENA_BINARY, with(arena, {"--out", "one.jsonl", "--jobs", "2"}), dir), 0);
  ASSERT_EQ(run(kMpiexec, mpirun(2, with(arena, {"--out", "two.jsonl", "--jobs", "1"})), dir), 0)
      << testing::read_file(dir / "stderr.txt");
  EXPECT_EQ(testing::read_file(dir / "two.jsonl"), testing::read_file(dir / "one.jsonl"));
  // One summary, from rank 0.
  const std::string out = testing::read_file(dir / "stdout.txt");
  EXPECT_EQ(out.find("6 games in"), out.rfind("6 games in")) << out;

  const std::vector<std::string> tune{"tune",   "--games", "4",       "--max-games", "16",
                                      "--seed", "3",       "--start", "plain.ini"};
  ASSERT_EQ(run(QUORVEL_ARENA_BINARY,
                with(tune, {"--csv", "one.csv", "--best", "one.ini", "--chart", "one.svg"}), dir),
            0);
  ASSERT_EQ(run(kMpiexec,
                mpirun(2, with(tune, {"--csv", "two.csv", "--best", "two.ini", "--chart", "two.svg",
                                      "--jobs", "1"})),
                dir),
            0)
      << testing::read_file(dir / "stderr.txt");
  EXPECT_EQ(testing::read_file(dir / "two.csv"), testing::read_file(dir / "one.csv"));
  EXPECT_EQ(testing::read_file(dir / "two.svg"), testing::read_file(dir / "one.svg"));
}

// The ranks of this test's run: processes in its directory that MPI numbered.
std::vector<pid_t> ranks_in(const std::filesystem::path& directory, int rank) {
  std::vector<pid_t> found;
  const std::string wanted = "OMPI_COMM_WORLD_RANK=" + std::to_string(rank);
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path() / "cwd", error) != directory) continue;
    std::ifstream in(entry.path() / "environ", std::ios::binary);
    std::stringstream environ;
    environ << in.rdbuf();
    const std::string text = environ.str();
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\0', at);
      if (text.substr(at, end - at) == wanted) found.push_back(std::stoi(name));
      at = end == std::string::npos ? text.size() : end + 1;
    }
  }
  return found;
}

TEST_F(ClusterTest, ARankThatDiesStopsTheRunAndTheCsvResumes) {
  const std::vector<std::string> tune{"tune",    "--games",  "4",     "--max-games", "14000",
                                      "--seed",  "5",        "--csv", "t.csv",       "--best",
                                      "t.ini",   "--chart",  "t.svg", "--jobs",      "1",
                                      "--start", "plain.ini"};
  testing::ChildProcess job(kMpiexec, mpirun(2, tune), dir.path());
  // A step written, then rank 1 is killed in the middle of a later one.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  auto lines = [&] {
    const std::string csv = testing::read_file(dir / "t.csv");
    return static_cast<int>(std::count(csv.begin(), csv.end(), '\n'));
  };
  while (lines() < 2 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_GE(lines(), 2);
  const std::vector<pid_t> victims = ranks_in(std::filesystem::canonical(dir.path()), 1);
  ASSERT_EQ(victims.size(), 1u);
  ::kill(victims.front(), SIGKILL);
  const auto status = job.wait_exit(60000);
  ASSERT_TRUE(status);
  EXPECT_NE(*status, 0);
  const std::string said =
      testing::read_file(dir / "stderr.txt") + testing::read_file(dir / "stdout.txt");
  EXPECT_NE(said.find("rank 1"), std::string::npos) << said;

  // Only whole lines, and a single process resumes after the last of them.
  const std::string csv = testing::read_file(dir / "t.csv");
  ASSERT_FALSE(csv.empty());
  EXPECT_EQ(csv.back(), '\n');
  const int steps = lines() - 1;
  std::vector<std::string> resume = tune;
  resume[4] = std::to_string(8 * (steps + 1));  // one step more
  ASSERT_EQ(run(QUORVEL_ARENA_BINARY, resume, dir), 0) << testing::read_file(dir / "stderr.txt");
  EXPECT_NE(testing::read_file(dir / "stdout.txt")
                .find("Resuming from t.csv after step " + std::to_string(steps - 1)),
            std::string::npos)
      << testing::read_file(dir / "stdout.txt");
  EXPECT_EQ(lines(), steps + 2);
}

}  // namespace
}  // namespace quorvel::arena
