// The base bot against a scripted server over the real link: handshakes, standard
// answers, and a link that goes away.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "game/game_board.h"
#include "platform/comms_link.h"
#include "platform/daide_framing.h"
#include "platform/dialog_window.h"
#include "protocol/token_text_table.h"
#include "protocol/tokens.h"
#include "shell/bot_base.h"
#include "shell/main_dialog.h"
#include "support/boards.h"
#include "support/bot_over_link.h"
#include "support/messages.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing::parse;

class BotSessionTest : public testing::BotOverLink {
 protected:
  void start(const std::string& extra = "") { start_dialog(bot, extra); }

  void join_game() {
    // No DM before the RM.
    EXPECT_TRUE(server.quiet_for(200));
    server.send_representation();
    expect_next("OBS");
    server.send_text("YES ( OBS )");
    server.send_text("MAP ( 'standard' )");
    expect_next("MDF");
    server.send_message(testing::standard_map_message());
    expect_next("YES ( MAP ( 'standard' ) )");
  }

  std::string error_log() { return testing::read_file(dir / "errorlog.txt"); }
  std::string traffic_log() { return testing::read_file(dir / "tcpiplog.txt"); }

  BotBase bot;
};

TEST_F(BotSessionTest, JoinsAsObserverAndFeedsTheGameModel) {
  start();
  join_game();
  server.send_text("HLO ( FRA ) ( 1234 ) ( ( LVL 0 ) )");
  server.send_text(testing::kStartSco);
  server.send_text(testing::kStartNow);
  finish();

  const GameBoard& board = bot.board();
  EXPECT_EQ(board.map_name, "standard");
  EXPECT_EQ(board.province_count, 75);
  EXPECT_EQ(board.own_power, tok::FRA);
  EXPECT_EQ(board.passcode, 1234);
  EXPECT_EQ(board.units.size(), 22u);
  EXPECT_EQ(board.own_centres.size(), 3u);
  EXPECT_FALSE(bot.is_connected());
  EXPECT_EQ(error_log(), "");
  const std::string traffic = traffic_log();
  for (const char* line :
       {"<< OBS \n", "== Connected Message received\n== Connected OK\n", ">> YES ( OBS ) \n",
        ">> MAP ( 'standard' ) \n<< MDF \n", "<< YES ( MAP ( 'standard' ) ) \n",
        ">> HLO ( FRA ) ( 1234 ) ( ( LVL 0 ) ) \n", ">> OFF \n"}) {
    EXPECT_NE(traffic.find(line), std::string::npos) << line << "in\n" << traffic;
  }
}

TEST_F(BotSessionTest, RejoinsWithThePowerAndPasscodeOfTheCommandLine) {
  start(" -rfra:1234");
  server.send_representation();
  expect_next("OBS");
  server.send_text("REJ ( NME ( 'x' ) ( 'y' ) )");
  expect_next("IAM ( FRA ) ( 1234 )");
  server.send_text("YES ( IAM ( FRA ) ( 1234 ) )");
  expect_next("MAP");
  server.send_text("MAP ( 'standard' )");
  expect_next("MDF");
  server.send_message(testing::standard_map_message());
  expect_next("HLO");
  expect_next("ORD");
  expect_next("SCO");
  expect_next("NOW");
  // After the rejoin a new map is accepted again.
  server.send_text("MAP ( 'standard' )");
  expect_next("MDF");
  server.send_message(testing::standard_map_message());
  expect_next("YES ( MAP ( 'standard' ) )");
  finish();
}

TEST_F(BotSessionTest, RefusedNameWithoutARejoinIdentityStopsSending) {
  start();
  server.send_representation();
  expect_next("OBS");
  server.send_text("REJ ( NME ( 'x' ) ( 'y' ) )");
  server.send_text("SVE ( 'game' )");
  EXPECT_TRUE(file_contains("tcpiplog.txt",
                            "<< YES ( SVE ( 'game' ) ) \n== Message not sent - not connected\n"));
  EXPECT_TRUE(server.quiet_for(100));
  finish();
}

TEST_F(BotSessionTest, StandardAnswersByteForByte) {
  start();
  join_game();
  server.send_text("FRM ( FRA ) ( ENG ) ( PRP ( PCE ( ENG FRA ) ) )");
  const auto frame = server.read_frame();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->type, platform::kDiplomacyMessage);
  EXPECT_EQ(frame->body,
            testing::wire_body(parse("SND ( FRA ) ( HUH ( ERR PRP ( PCE ( ENG FRA ) ) ) )")));
  expect_next("SND ( FRA ) ( TRY ( ) )");
  server.send_text("FRM ( FRA ) ( ENG ) ( TRY ( ) )");
  server.send_text("LOD ( 'game' )");
  expect_next("REJ ( LOD ( 'game' ) )");
  server.send_text("SVE ( 'game' )");
  expect_next("YES ( SVE ( 'game' ) )");
  server.send_text("THX ( ( ENG AMY LVP ) MTO BEL ) ( FAR )");
  expect_next("SUB ( ( ENG AMY LVP ) HLD )");
  server.send_text("THX ( ( ENG AMY LVP ) HLD ) ( NSU )");
  server.send_text("THX ( ( ENG AMY LVP ) BLD ) ( ESC )");
  expect_next("SUB ( ENG WVE )");
  finish();
  EXPECT_NE(error_log().find("No replacement order sent."), std::string::npos);
}

TEST_F(BotSessionTest, ServerNamesReplacePowersAndProvinces) {
  start();
  server.send_representation({0x41, 0x01, 'A', 'N', 'G', 0, 0x55, 0x3A, 'L', 'D', 'N', 0, 0x41});
  expect_next("OBS");
  finish();
  const TokenTextTable& table = bot.tokens();
  EXPECT_EQ(table.text_of(tok::ENG), "ANG");
  EXPECT_EQ(table.text_of(tok::LON), "LDN");
  EXPECT_FALSE(table.text_of(tok::FRA));
  EXPECT_EQ(table.text_of(tok::HLO), "HLO");
  EXPECT_EQ(TokenTextTable::standard().text_of(tok::ENG), "ENG");
}

// The server's OFF and the close of its connection often reach the bot together; only a
// close without OFF before it is a lost connection.
TEST(BotEnding, TheCloseThatFollowsOffIsNoLostConnection) {
  testing::TempDir dir;
  testing::WorkingDirectory cwd{dir.path()};
  std::uint8_t closed[10] = {platform::kLocalEvent};
  const std::uint16_t event = platform::kEventClosed;
  std::memcpy(closed + 8, &event, sizeof event);
  std::uint8_t off[6] = {platform::kDiplomacyMessage, 0, 2, 0};
  const std::uint16_t token = tok::OFF.value();
  std::memcpy(off + 4, &token, sizeof token);
  for (const bool off_first : {true, false}) {
    BotBase bot;
    ::testing::internal::CaptureStderr();
    if (off_first) BotBase::OnReceive(off, sizeof off, 0);
    BotBase::OnReceive(closed, sizeof closed, 0);
    bot.DrainQueue();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("Quorvel: Server Disconnected") != std::string::npos, !off_first) << said;
  }
}

TEST_F(BotSessionTest, ADroppedConnectionIsReportedAndLaterSendsAreNot) {
  ::testing::internal::CaptureStderr();
  start();
  join_game();
  server.close_client();
  EXPECT_TRUE(file_contains("tcpiplog.txt", "== Close Message received\n"));
  // The program keeps running without a link until it is cancelled.
  dialog->Cancel();
  window_thread.join();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Quorvel: Server Disconnected\n"),
            std::string::npos);
  bot.Send(TokenMessage(tok::NOW));
  EXPECT_NE(traffic_log().find("<< NOW \n== Message not sent - not connected\n"),
            std::string::npos);
}

TEST_F(BotSessionTest, FailedConnectIsReported) {
  ::testing::internal::CaptureStderr();
  dialog = std::make_unique<MainDialog>(
      bot, "quorvel -i127.0.0.1 -p" + std::to_string(testing::unused_port()));
  window_thread = std::thread([this] { result = dialog->DoModal(); });
  EXPECT_TRUE(file_contains("errorlog.txt", "Failed to connect to Server. Error code 111\n"));
  dialog->Cancel();
  window_thread.join();
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("Quorvel: Failed to connect to Server\n"),
            std::string::npos);
  EXPECT_FALSE(bot.is_connected());
}

TEST_F(BotSessionTest, ABadAddressFailsTheStart) {
  ::testing::internal::CaptureStderr();
  dialog = std::make_unique<MainDialog>(bot, "quorvel -i300.0.0.1");
  EXPECT_EQ(dialog->DoModal(), platform::kCancel);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quorvel: Couldn't initialise Bot\n");
  EXPECT_EQ(error_log(), "Bad TCP/IP address '300.0.0.1'\n");
}

}  // namespace
}  // namespace quorvel
