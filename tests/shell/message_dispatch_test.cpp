#include <gtest/gtest.h>

#include <cstring>

#include <string>
#include <vector>

#include "base/logs.h"
#include "game/game_board.h"
#include "protocol/tokens.h"
#include "shell/bot_base.h"
#include "support/boards.h"
#include "support/messages.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing::parse;

// Notes which handler a message reached, with the argument it was given.
class RecordingBot : public BotBase {
 public:
  std::vector<std::string> calls;

  void OnRejNME(const TokenMessage&, const TokenMessage& arg) override { note("RejNME", arg); }
  void OnRejNotOther(const TokenMessage&) override { calls.push_back("RejNotOther"); }
  void OnRejNotGOF(const TokenMessage&, const TokenMessage& arg) override {
    note("RejNotGOF", arg);
  }
  void OnYesNotSUB(const TokenMessage&, const TokenMessage& arg) override {
    note("YesNotSUB", arg);
  }
  void OnYesOther(const TokenMessage&) override { calls.push_back("YesOther"); }
  void OnNotTME(const TokenMessage&, const TokenMessage& arg) override { note("NotTME", arg); }
  void OnCCD(const TokenMessage&, bool newly) override {
    calls.push_back(std::string("CCD ") + (newly ? "new" : "again"));
  }
  void OnNotCCD(const TokenMessage&, const TokenMessage& arg, bool was) override {
    note(std::string("NotCCD ") + (was ? "was" : "wasn't"), arg);
  }
  void OnNOW(const TokenMessage&) override {
    calls.push_back("NOW with " + std::to_string(game->units.size()) + " units");
  }
  void OnDRW(const TokenMessage&) override {
    calls.push_back(std::string("DRW over ") + (game->game_over ? "yes" : "no"));
  }

  void dispatch(const TokenMessage& message) {
    std::vector<std::uint8_t> body(2 * static_cast<std::size_t>(message.length()));
    for (int i = 0; i < message.length(); ++i) {
      const std::uint16_t word = message.token_at(i).value();
      std::memcpy(&body[2 * static_cast<std::size_t>(i)], &word, 2);
    }
    DispatchMessage(body.data(), static_cast<std::uint32_t>(body.size()));
  }
  void dispatch(const std::string& text) { dispatch(parse(text)); }
  GameBoard& model() { return *game; }

 private:
  void note(const std::string& name, const TokenMessage& arg) {
    calls.push_back(name + " [" + (arg.is_empty() ? "empty" : arg.to_text()) + "]");
  }
};

class MessageDispatchTest : public ::testing::Test {
 protected:
  std::string error_log() { return testing::read_file(dir / "errorlog.txt"); }
  std::string traffic_log() { return testing::read_file(dir / "tcpiplog.txt"); }

  testing::TempDir dir;
  testing::WorkingDirectory cwd{dir.path()};
  RecordingBot bot;
};

TEST_F(MessageDispatchTest, AnswersReachTheirHandlersWithTheirArgument) {
  bot.dispatch("REJ ( NOT ( TME ( 60 ) ) )");
  bot.dispatch("REJ ( NOT ( GOF ( 1 ) ) )");
  bot.dispatch("YES ( NOT ( SUB ) )");
  bot.dispatch("REJ ( NME ( 'x' ) ( 'y' ) )");
  bot.dispatch("NOT ( TME ( 60 ) )");
  bot.dispatch("YES ( MAP ( 'standard' ) )");
  EXPECT_EQ(bot.calls,
            (std::vector<std::string>{"RejNotOther", "RejNotGOF [1 ]", "YesNotSUB [empty]",
                                      "RejNME ['x' ]", "NotTME [60 ]", "YesOther"}));
}

TEST_F(MessageDispatchTest, CivilDisorderIsTrackedPerPower) {
  bot.dispatch("CCD ( FRA )");
  bot.dispatch("CCD ( FRA )");
  bot.dispatch("NOT ( CCD ( FRA ) )");
  bot.dispatch("NOT ( CCD ( FRA ) )");
  bot.dispatch("NOT ( CCD ( GER ) )");
  EXPECT_EQ(bot.calls, (std::vector<std::string>{"CCD new", "CCD again", "NotCCD was [FRA ]",
                                                 "NotCCD wasn't [FRA ]", "NotCCD wasn't [GER ]"}));
}

TEST_F(MessageDispatchTest, PositionMessagesReachTheGameModelFirst) {
  GameBoard& board = bot.model();
  ASSERT_EQ(board.set_map(testing::standard_map_message()), -1);
  bot.dispatch("HLO ( FRA ) ( 4321 ) ( ( LVL 0 ) )");
  EXPECT_EQ(board.own_power, tok::FRA);
  EXPECT_EQ(board.passcode, 4321);
  bot.dispatch(testing::kStartSco);
  EXPECT_EQ(board.own_centres.size(), 3u);
  bot.dispatch(testing::kStartNow);
  bot.dispatch("DRW");
  EXPECT_EQ(bot.calls, (std::vector<std::string>{"NOW with 22 units", "DRW over yes"}));
}

TEST_F(MessageDispatchTest, MapNamesComeFromTheQuotedText) {
  bot.dispatch("MAP ( 'standard' )");
  EXPECT_EQ(bot.board().map_name, "standard");
  bot.dispatch("MAP ( ENG )");
  EXPECT_EQ(bot.board().map_name, "ENG ");
}

TEST_F(MessageDispatchTest, BrokenAndUnexpectedMessagesAreLogged) {
  bot.logs().set_traffic_logging(true);
  const std::uint16_t prn[] = {tok::PRN.value(), tok::BRA.value(), 0x4804};
  bot.DispatchMessage(reinterpret_cast<const std::uint8_t*>(prn), sizeof prn);
  bot.dispatch("( HLO )");
  const std::uint16_t unbalanced[] = {tok::HLO.value(), tok::BRA.value()};
  bot.DispatchMessage(reinterpret_cast<const std::uint8_t*>(unbalanced), sizeof unbalanced);
  bot.dispatch("SUB ( ENG WVE )");
  bot.dispatch("HUH ( ERR OBS )");
  bot.dispatch("REJ ( HLO )");
  bot.dispatch("REJ ( NOT ( DRW ) )");
  EXPECT_EQ(error_log(),
            "PRN message received. Starts 4813 4000 4804 5FFF\n"
            "Illegal message received\n"
            "Illegal message received\n"
            "Unexpected first token in message : SUB ( ENG WVE ) \n"
            "HUH message received : HUH ( ERR OBS ) \n"
            "REJ( HLO() ) message received : REJ ( HLO ) \n"
            "REJ( NOT( DRW() ) ) message received : REJ ( NOT ( DRW ) ) \n");
  // The PRN is neither parsed nor logged as traffic; the illegal ones are.
  EXPECT_EQ(traffic_log().find("PRN"), std::string::npos);
  EXPECT_NE(traffic_log().find(">> ( HLO ) \n"), std::string::npos);
}

TEST_F(MessageDispatchTest, RefusedOrdersAreReplacedOrLogged) {
  bot.dispatch("THX ( ( ENG AMY LVP ) MTO BEL ) ( FAR )");
  bot.dispatch("THX ( ( ENG AMY LVP ) HLD ) ( NSU )");
  bot.dispatch("THX ( ( ENG AMY LVP ) BLD ) ( ESC )");
  bot.dispatch("THX ( ( ENG AMY LVP ) HLD ) ( MBV )");
  bot.dispatch("THX ( ( ENG FLT MAO ) RTO SPA ) ( NVR )");
  EXPECT_EQ(error_log(),
            "THX returned FAR  for order '( ENG AMY LVP ) MTO BEL '. "
            "Replacing with '( ENG AMY LVP ) HLD '\n"
            "THX returned NSU  for order '( ENG AMY LVP ) HLD '. No replacement order sent.\n"
            "THX returned ESC  for order '( ENG AMY LVP ) BLD '. Replacing with 'ENG WVE '\n"
            "THX returned NVR  for order '( ENG FLT MAO ) RTO SPA '. "
            "Replacing with '( ENG FLT MAO ) DSB '\n");
}

}  // namespace
}  // namespace quorvel
