#include "base/logs.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing::read_file;
using testing::TempDir;

// Without a directory the logs are those of the working directory.
TEST(Logs, ErrorLogHasOneFormattedLinePerCall) {
  TempDir dir;
  testing::WorkingDirectory cwd(dir.path());
  LogFiles logs;
  EXPECT_FALSE(std::filesystem::exists(dir / "errorlog.txt"));
  logs.error("Failed to set map - Error location %d", 17);
  logs.error("Bad TCP/IP address '%s'", "host");
  // Flushed at once: readable while the file is still open.
  EXPECT_EQ(read_file(dir / "errorlog.txt"),
            "Failed to set map - Error location 17\nBad TCP/IP address 'host'\n");
}

TEST(Logs, TrafficLogStaysClosedUntilSwitchedOn) {
  TempDir dir;
  LogFiles logs(dir.path());
  logs.traffic(TrafficDirection::kIncoming, "HLO ");
  logs.event("Connected OK");
  EXPECT_FALSE(std::filesystem::exists(dir / "tcpiplog.txt"));
  logs.error("x");
  EXPECT_TRUE(std::filesystem::exists(dir / "errorlog.txt"));
}

TEST(Logs, TrafficLinesMarkTheirDirection) {
  TempDir dir;
  LogFiles logs(dir.path());
  logs.set_traffic_logging(true);
  logs.traffic(TrafficDirection::kIncoming, "HLO ( ENG ) ( 1234 ) ");
  logs.traffic(TrafficDirection::kOutgoing, "OBS ");
  logs.event("Message not sent - not connected");
  logs.event("100% %s %d");
  EXPECT_EQ(read_file(dir / "tcpiplog.txt"),
            ">> HLO ( ENG ) ( 1234 ) \n"
            "<< OBS \n"
            "== Message not sent - not connected\n"
            "== 100% %s %d\n");
}

TEST(Logs, FilesOfAnEarlierRunAreReplaced) {
  TempDir dir;
  testing::write_file(dir / "errorlog.txt", "old error\n");
  testing::write_file(dir / "tcpiplog.txt", "old traffic\n");
  {
    LogFiles logs(dir.path());
    logs.set_traffic_logging(true);
    logs.error("new");
    logs.event("Connected OK");
  }
  EXPECT_EQ(read_file(dir / "errorlog.txt"), "new\n");
  EXPECT_EQ(read_file(dir / "tcpiplog.txt"), "== Connected OK\n");
}

TEST(Logs, NothingIsWrittenAfterClosing) {
  TempDir dir;
  LogFiles logs(dir.path());
  logs.set_traffic_logging(true);
  logs.error("before");
  logs.close();
  // A late line must not reopen, and so empty, the file.
  logs.error("after");
  logs.event("after");
  EXPECT_EQ(read_file(dir / "errorlog.txt"), "before\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "tcpiplog.txt"));
}

TEST(Logs, UnopenableFileMakesWritesSilentAndIsRetried) {
  TempDir dir;
  const auto missing = dir / "not-yet";
  LogFiles logs(missing);
  logs.error("lost");
  std::filesystem::create_directory(missing);
  logs.error("kept");
  EXPECT_EQ(read_file(missing / "errorlog.txt"), "kept\n");
}

TEST(Logs, ErrorLinesFromTwoThreadsStayWhole) {
  TempDir dir;
  LogFiles logs(dir.path());
  auto writer = [&logs](char mark) {
    for (int i = 0; i < 500; ++i)
      logs.error("%c%c%c%c%c%c%c%c", mark, mark, mark, mark, mark, mark, mark, mark);
  };
  std::thread first(writer, 'a');
  std::thread second(writer, 'b');
  first.join();
  second.join();
  std::istringstream lines(read_file(dir / "errorlog.txt"));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    EXPECT_TRUE(line == "aaaaaaaa" || line == "bbbbbbbb") << line;
  }
  EXPECT_EQ(count, 1000);
}

}  // namespace
}  // namespace quorvel
