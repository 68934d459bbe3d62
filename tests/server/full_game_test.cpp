// Seven quorvel programs play a whole game against quorvel-server over real TCP.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "server/server_test_support.h"

namespace quorvel {
namespace {

TEST(FullGame, SevenBotsPlayToTheEnd) {
  testing::ServerUnderTest server({"-o7", "-s11"});
  ASSERT_NE(server.port, 0);
  std::vector<std::unique_ptr<testing::TempDir>> seats;
  std::vector<std::unique_ptr<testing::ChildProcess>> bots;
  for (int i = 0; i < 7; ++i) {
    seats.push_back(std::make_unique<testing::TempDir>());
    bots.push_back(std::make_unique<testing::ChildProcess>(
        QUORVEL_BINARY, std::vector<std::string>{"-i127.0.0.1", "-p" + std::to_string(server.port)},
        seats.back()->path()));
  }
  ASSERT_EQ(server.process->wait_exit(120000), 0) << server.output();
  for (auto& bot : bots)
    EXPECT_EQ(bot->wait_exit(5000), 0);

  const std::string output = server.output();
  EXPECT_NE(output.find("Result: "), std::string::npos) << output;
  const std::string record = server.record();
  EXPECT_NE(record.find(" << OFF"), std::string::npos);
  EXPECT_NE(record.find(" << SMR ( "), std::string::npos);
  // Every order of the bots is taken, but waives that come after their winter: a power
  // owed builds with no free home centre is not waited for.
  std::istringstream lines(record);
  int orders = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find(" << THX ") == std::string::npos) continue;
    ++orders;
    const bool taken = line.size() >= 7 && line.compare(line.size() - 7, 7, "( MBV )") == 0;
    const bool late_waive = line.find(" WVE ) ( NRS )") != std::string::npos;
    EXPECT_TRUE(taken || late_waive) << line;
  }
  EXPECT_GT(orders, 100);
  for (const auto& seat : seats) {
    std::istringstream log(testing::read_file(seat->path() / "errorlog.txt"));
    std::string line;
    std::getline(log, line);
    EXPECT_EQ(line, "Unable to read ini-File Quorvel.ini");
    while (std::getline(log, line)) {
      const bool late_waive = line.rfind("THX returned NRS ", 0) == 0 &&
                              line.find(" WVE '. No replacement order sent.") != std::string::npos;
      EXPECT_TRUE(late_waive) << line;
    }
  }
}

}  // namespace
}  // namespace quorvel
