// The quorvel program itself, run against a scripted server.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/child_process.h"
#include "support/messages.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing::parse;

class ProgramTest : public ::testing::Test {
 protected:
  void run(const std::vector<std::string>& extra) {
    std::vector<std::string> args{"-i127.0.0.1", "-p" + std::to_string(server.port())};
    args.insert(args.end(), extra.begin(), extra.end());
    program.emplace(QUORVEL_BINARY, args, dir.path());
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(server.expect_initial_message());
  }
  void join_game() {
    server.send_representation();
    EXPECT_EQ(server.read_message(), parse("NME ( 'Quorvel' ) ( '1.1' )"));
    server.send_text("YES ( NME ( 'Quorvel' ) ( '1.1' ) )");
    server.send_text("MAP ( 'standard' )");
    EXPECT_EQ(server.read_message(), parse("MDF"));
    server.send_message(testing::standard_map_message());
    EXPECT_EQ(server.read_message(), parse("YES ( MAP ( 'standard' ) )"));
  }

  testing::TempDir dir;
  testing::ScriptedServer server;
  std::optional<testing::ChildProcess> program;
};

TEST_F(ProgramTest, OffEndsTheProgramWithinASecond) {
  run({"-l1", "-h", "-m"});
  join_game();
  server.send_text("HLO ( ENG ) ( 77 ) ( ( LVL 0 ) )");
  server.send_text("OFF");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(program->wait_exit(1000), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  // Without a settings file the bot plays on defaults and says so.
  EXPECT_EQ(testing::read_file(dir / "errorlog.txt"), "Unable to read ini-File Quorvel.ini\n");
  const std::string traffic = testing::read_file(dir / "tcpiplog.txt");
  EXPECT_NE(traffic.find(">> HLO ( ENG ) ( 77 ) ( ( LVL 0 ) ) \n>> OFF \n"), std::string::npos)
      << traffic;
  EXPECT_TRUE(std::filesystem::exists(dir / "tcpip_output.txt"));
  EXPECT_EQ(testing::read_file(dir / "stderr.txt"), "");
}

TEST_F(ProgramTest, PlaysAWholeGameAndLogsEveryMessage) {
  testing::write_file(dir / "Quorvel.ini", "[Annealing]\niterations=5\n");
  run({"-l1"});
  join_game();
  const std::vector<std::string> game = {"HLO ( ENG ) ( 77 ) ( ( LVL 0 ) ( MTL 1200 ) )",
                                         "SCO ( ENG EDI LON LVP ) ( UNO BEL )",
                                         "NOW ( SPR 1901 ) ( ENG AMY LVP ) ( ENG FLT LON )",
                                         "ORD ( SPR 1901 ) ( ( ENG AMY LVP ) MTO YOR ) ( SUC )",
                                         "NOW ( FAL 1901 ) ( ENG AMY YOR ) ( ENG FLT LON )",
                                         "MIS ( ( ENG AMY YOR ) )",
                                         "NOW ( WIN 1901 ) ( ENG AMY YOR ) ( ENG FLT LON )",
                                         "CCD ( FRA )",
                                         "SLO ( ENG )",
                                         "SMR ( SPR 1902 ) ( ENG ( 'Quorvel' ) ( '1.1' ) 18 )",
                                         "OFF"};
  for (const std::string& text : game)
    server.send_text(text);
  EXPECT_EQ(program->wait_exit(2000), 0);
  const std::string traffic = testing::read_file(dir / "tcpiplog.txt");
  EXPECT_NE(traffic.find(">> NOW ( SPR 1901 ) ( ENG AMY LVP ) ( ENG FLT LON ) \n<< SUB ( ( ENG "),
            std::string::npos)
      << traffic;
  EXPECT_FALSE(std::filesystem::exists(dir / "errorlog.txt"));
  for (const std::string& text : game) {
    EXPECT_NE(traffic.find(">> " + parse(text).to_text() + "\n"), std::string::npos) << text;
  }
}

TEST_F(ProgramTest, TerminationSignalsEndItAsCancelDoes) {
  for (int number : {SIGTERM, SIGINT, SIGHUP}) {
    testing::ScriptedServer fresh;
    program.emplace(QUORVEL_BINARY,
                    std::vector<std::string>{"-i127.0.0.1", "-p" + std::to_string(fresh.port())},
                    dir.path());
    ASSERT_TRUE(fresh.accept());
    ASSERT_TRUE(fresh.expect_initial_message());
    program->signal(number);
    EXPECT_EQ(program->wait_exit(1000), 0) << "signal " << number;
    EXPECT_TRUE(fresh.client_closes(1000));
  }
  // Without a log level no traffic log is written.
  EXPECT_FALSE(std::filesystem::exists(dir / "tcpiplog.txt"));
}

TEST_F(ProgramTest, UnknownOptionsShowTheUsageAndPlayGoesOn) {
  run({"-x1"});
  join_game();
  server.send_text("OFF");
  EXPECT_EQ(program->wait_exit(1000), 0);
  EXPECT_NE(testing::read_file(dir / "stderr.txt").find("Quorvel: Usage : Tandril"),
            std::string::npos);
}

}  // namespace
}  // namespace quorvel
