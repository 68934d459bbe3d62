// The playing bot against a scripted server over the real link.
#include "shell/strategy_bot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "game/game_board.h"
#include "platform/comms_link.h"
#include "platform/dialog_window.h"
#include "protocol/tokens.h"
#include "rules/map_file.h"
#include "settings/builtin_settings.h"
#include "shell/main_dialog.h"
#include "support/boards.h"
#include "support/bot_over_link.h"
#include "support/messages.h"
#include "support/order_legality.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

using testing::parse;
using testing::read_file;
using testing::write_file;

class StrategyBotTest : public testing::BotOverLink {
 protected:
  // The bot reads its files when it is made, so files come first.
  void start(const std::string& extra = "") {
    PlayerSetup setup;
    setup.seed = 7;
    bot = std::make_unique<StrategyBot>(setup);
    start_dialog(*bot, extra);
    server.send_representation();
    expect_next("NME ( 'Quorvel' ) ( '1.1' )");
  }
  void join_as(const std::string& power, int passcode,
               const std::string& variant = "( LVL 0 ) ( MTL 1200 )") {
    server.send_text("YES ( NME ( 'Quorvel' ) ( '1.1' ) )");
    server.send_text("MAP ( 'standard' )");
    expect_next("MDF");
    server.send_message(testing::standard_map_message());
    expect_next("YES ( MAP ( 'standard' ) )");
    server.send_text("HLO ( " + power + " ) ( " + std::to_string(passcode) + " ) ( " + variant +
                     " )");
  }
  std::unique_ptr<StrategyBot> bot;
};

TEST_F(StrategyBotTest, PlaysEveryKindOfPhase) {
  start();
  join_as("FRA", 1234);
  server.send_text(testing::kStartSco);
  server.send_text(testing::kStartNow);
  const TokenMessage spring = server.read_message();
  EXPECT_EQ(spring.first_token(), tok::SUB);
  EXPECT_EQ(spring.sub_message_count(), 4);  // three units, three orders

  server.send_text("NOW ( AUT 1901 ) ( FRA AMY BEL MRT ( PIC ) ) ( GER AMY BEL ) ( FRA AMY PAR )");
  expect_next("SUB ( ( FRA AMY BEL ) RTO PIC )");
  server.send_text("SCO ( FRA BRE MAR PAR SPA ) ( UNO BEL )");
  server.send_text("NOW ( WIN 1901 ) ( FRA AMY PIC ) ( FRA AMY PAR )");
  const TokenMessage builds = server.read_message();
  // Two builds allowed, one free home centre besides Paris... Brest and Marseilles.
  EXPECT_EQ(builds.first_token(), tok::SUB);
  EXPECT_EQ(builds.sub_message_count(), 3);
  finish();
  EXPECT_TRUE(testing::order_faults(parse("NOW ( WIN 1901 ) ( FRA AMY PIC ) ( FRA AMY PAR )"),
                                    parse("SCO ( FRA BRE MAR PAR SPA ) ( UNO BEL )"), tok::FRA,
                                    builds)
                  .empty());
}

TEST_F(StrategyBotTest, PlaysItsOpeningInTheFirstMovementPhaseOnly) {
  start();
  join_as("AUS", 5);
  server.send_text(testing::kStartSco);
  server.send_text(testing::kStartNow);
  const std::string kOpening =
      "SUB ( ( AUS AMY BUD ) MTO SER ) ( ( AUS AMY VIE ) MTO GAL ) ( ( AUS FLT TRI ) HLD )";
  expect_next(kOpening);
  server.send_text("ORD ( SPR 1901 ) ( ( AUS AMY VIE ) MTO GAL ) ( SUC )");
  // The same position a year later is the plan's to decide.
  server.send_text(
      "NOW ( SPR 1902 ) ( AUS AMY BUD ) ( AUS AMY VIE ) ( AUS FLT TRI ) ( ITA AMY VEN ) "
      "( RUS AMY GAL ) ( RUS AMY RUM )");
  const TokenMessage later = server.read_message();
  EXPECT_EQ(later.first_token(), tok::SUB);
  EXPECT_NE(later.to_text(), kOpening);
  finish();
  EXPECT_FALSE(std::filesystem::exists(dir / "errorlog.txt") &&
               read_file(dir / "errorlog.txt").find("Opening") != std::string::npos);
}

TEST_F(StrategyBotTest, AnOpeningThatDoesNotReadIsLoggedAndThePlanDecides) {
  write_file(dir / "Quorvel.ini", "[Annealing]\niterations=20\n[Openings]\nAUS=A VIE-GAL A BUD\n");
  start();
  join_as("AUS", 5);
  server.send_text(testing::kStartSco);
  server.send_text(testing::kStartNow);
  const TokenMessage orders = server.read_message();
  EXPECT_EQ(orders.sub_message_count(), 4) << orders.to_text();
  finish();
  EXPECT_NE(read_file(dir / "errorlog.txt")
                .find("Opening for AUS in ini-file not used: the unit in BUD neither moves "
                      "(-PLACE) nor holds (H)."),
            std::string::npos)
      << read_file(dir / "errorlog.txt");
}

TEST_F(StrategyBotTest, HelloWritesTheRecoveryFile) {
  start();
  join_as("FRA", 1234);
  expect_nothing_sent();
  EXPECT_EQ(read_file(dir / "recovery.txt"), "16642 1234");
  server.send_text("HLO ( FRA ) ( -5 ) ( ( LVL 0 ) )");
  expect_nothing_sent();
  // A negative passcode is written as its token's value.
  EXPECT_EQ(read_file(dir / "recovery.txt"), "16642 16379");
  finish();
}

TEST_F(StrategyBotTest, ARefusedNameRejoinsFromTheRecoveryFile) {
  write_file(dir / "recovery.txt", "16642 1234");
  start();
  server.send_text("REJ ( NME ( 'Quorvel' ) ( '1.1' ) )");
  expect_next("IAM ( FRA ) ( 1234 )");
  finish();
}

TEST_F(StrategyBotTest, ARecoveryFileWithoutTwoNumbersSendsNothing) {
  write_file(dir / "recovery.txt", "FRA:1234");
  start(" -l2");
  server.send_text("REJ ( NME ( 'Quorvel' ) ( '1.1' ) )");
  expect_nothing_sent();
  finish();
  EXPECT_NE(read_file(dir / "tracelog.txt").find("recovery.txt holds no power and passcode"),
            std::string::npos);
}

TEST_F(StrategyBotTest, OrdersOnlyWhatIsOwedEvenWithoutUnits) {
  start();
  join_as("FRA", 1);
  server.send_text("SCO ( FRA BRE MAR PAR ) ( ENG LON )");
  // No unit of the bot, but three centres to build on: the server waits for the builds.
  server.send_text("NOW ( WIN 1901 ) ( ENG FLT LON )");
  const TokenMessage builds = server.read_message();
  EXPECT_EQ(builds.first_token(), tok::SUB);
  EXPECT_EQ(builds.sub_message_count(), 4);
  EXPECT_TRUE(testing::order_faults(parse("NOW ( WIN 1901 ) ( ENG FLT LON )"),
                                    parse("SCO ( FRA BRE MAR PAR ) ( ENG LON )"), tok::FRA, builds)
                  .empty());
  server.send_text("NOW ( SPR 1902 ) ( ENG FLT LON )");
  expect_nothing_sent();
  // Three units on three centres: nothing to adjust.
  server.send_text("NOW ( WIN 1901 ) ( FRA AMY PAR ) ( FRA FLT BRE ) ( FRA AMY MAR )");
  expect_nothing_sent();
  server.send_text("DRW");
  server.send_text("NOW ( SPR 1902 ) ( FRA AMY PAR )");
  expect_nothing_sent();
  finish();
}

// A map it cannot read is refused, not accepted and then left unplayed; a later one it
// can read (two powers with a gap in their tokens, as a real server sends it) is played.
TEST_F(StrategyBotTest, AMapItCannotReadIsRefusedAndAReadableOneIsPlayed) {
  start();
  server.send_text("YES ( NME ( 'Quorvel' ) ( '1.1' ) )");
  server.send_text("MAP ( 'broken' )");
  expect_next("MDF");
  server.send_text("MDF ( FRA ) ( ( ( FRA PAR ) ) ( ) ) ( ( PAR ( AMY BUR ) ) )");
  expect_next("REJ ( MAP ( 'broken' ) )");
  server.send_text("HLO ( FRA ) ( 1 ) ( ( LVL 0 ) )");
  server.send_text("SCO ( FRA PAR )");
  server.send_text("NOW ( SPR 1901 ) ( FRA AMY PAR )");
  expect_nothing_sent();

  const rules::MapFileReading variant =
      rules::read_map_file(QUORVEL_DATA_DIR "/maps/standard_france_austria.map");
  ASSERT_TRUE(variant.map) << variant.error;
  server.send_text("MAP ( 'standard_france_austria' )");
  expect_next("MDF");
  server.send_message(variant.map->mdf);
  expect_next("YES ( MAP ( 'standard_france_austria' ) )");
  server.send_text("HLO ( FRA ) ( 2 ) ( ( LVL 0 ) )");
  server.send_message(variant.map->sco);
  server.send_message(variant.map->now);
  const TokenMessage orders = server.read_message();
  EXPECT_EQ(orders.sub_message_count(), 4) << orders.to_text();
  finish();
  EXPECT_EQ(
      testing::order_faults(variant.map->now, variant.map->sco, tok::FRA, orders, variant.map->mdf),
      std::vector<std::string>{});
  EXPECT_NE(read_file(dir / "errorlog.txt").find("Failed to set map - Error location 19"),
            std::string::npos)
      << read_file(dir / "errorlog.txt");
}

TEST_F(StrategyBotTest, TracesWhatItThoughtAtLogLevelTwo) {
  start(" -l2");
  join_as("ENG", 3);
  server.send_text(testing::kStartSco);
  server.send_text(testing::kStartNow);
  EXPECT_EQ(server.read_message().first_token(), tok::SUB);
  server.send_text("SLO ( FRA )");
  expect_nothing_sent();
  finish();
  const std::string trace = read_file(dir / "tracelog.txt");
  for (const char* line :
       {"MDF processed. The map is called standard.", "HLO processed. I am ENG , my passcode is 3",
        "SCO received.", "NOW processed. It's now SPR  1901", "Evaluated ", " plans in ",
        "Best plan's value: ", "Best plan's improved value: ", "Generated plan:",
        "Move-Orders sent.", "I lose. The winner is FRA ."}) {
    EXPECT_NE(trace.find(line), std::string::npos) << line << " in\n" << trace;
  }
}

TEST_F(StrategyBotTest, AWinKeepsMutatedSettings) {
  write_file(dir / "Quorvel.ini",
             "[Mutation]\nProbability=1\nRange=0.5\n[OwnValues]\nsc=100\n[Annealing]\n"
             "iterations=2\n");
  start();
  EXPECT_TRUE(bot->settingsMutated());
  join_as("ENG", 3);
  server.send_text("SLO ( ENG )");
  expect_nothing_sent();
  finish();
  EXPECT_NE(read_file(dir / "Quorvel.ini"), "[Mutation]\nProbability=1\nRange=0.5\n");
  EXPECT_NE(read_file(dir / "Quorvel.ini").find("[OwnValues]\nsc="), std::string::npos);
  const std::string log = read_file(dir / "changelog.csv");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), ','), 4);
}

TEST_F(StrategyBotTest, AWinWithoutMutationWritesNothing) {
  const std::string settings = "[Mutation]\nProbability=0\n[OwnValues]\nsc=100\n";
  write_file(dir / "Quorvel.ini", settings);
  start();
  EXPECT_FALSE(bot->settingsMutated());
  join_as("ENG", 3);
  server.send_text("SLO ( ENG )");
  expect_nothing_sent();
  finish();
  EXPECT_EQ(read_file(dir / "Quorvel.ini"), settings);
  EXPECT_FALSE(std::filesystem::exists(dir / "changelog.csv"));
}

// Over TCP a movement phase with press waits for answers no longer than its bound: the
// setting, or less when the phase's time limit leaves less. A server that answers nothing
// does not stall the game.
class PressTimingTest : public StrategyBotTest {
 protected:
  void expect_wait(int wait_setting, const std::string& variant, int bound_ms, int margin = 5,
                   bool stale_wake = false) {
    write_file(dir / "Quorvel.ini",
               std::string(builtin_settings_text()) +
                   "\n[Press]\nwaitMilliseconds=" + std::to_string(wait_setting) +
                   "\ndeadlineMargin=" + std::to_string(margin) + "\n");
    start();
    join_as("FRA", 1234, variant);
    server.send_text(testing::kStartSco);
    server.send_text(
        "NOW ( SPR 1901 ) ( FRA AMY BUR ) ( FRA AMY PAR ) ( FRA FLT BRE ) ( FRA AMY MAR ) "
        "( ENG FLT ECH ) ( GER AMY MUN ) ( GER AMY RUH ) ( ITA AMY PIE )");
    expect_next("NOT ( GOF )");
    const auto asked = std::chrono::steady_clock::now();
    // A wake-up of a timer of the phase before, handled after this phase began: ignored.
    if (stale_wake) bot->PostWake();
    TokenMessage message = server.read_message();
    int proposals = 0;
    for (; message.first_token() == tok::SND; message = server.read_message(5000))
      ++proposals;
    const auto waited = std::chrono::steady_clock::now() - asked;
    EXPECT_GT(proposals, 0);
    EXPECT_EQ(message.first_token(), tok::SUB);
    EXPECT_EQ(server.read_message(), parse("GOF"));
    EXPECT_GE(waited, std::chrono::milliseconds(bound_ms - 50));
    EXPECT_LT(waited, std::chrono::milliseconds(bound_ms + 2000));
    finish();
  }
};

TEST_F(PressTimingTest, NobodyAnswersAndTheWaitEndsAtTheSetting) {
  expect_wait(300, "( LVL 20 )", 300);
}

TEST_F(PressTimingTest, AWakeUpOfAnEarlierPhaseDoesNotEndTheWait) {
  expect_wait(800, "( LVL 20 )", 800, 5, true);
}

TEST_F(PressTimingTest, TheTimeLimitLessItsMarginCutsTheWaitShort) {
  expect_wait(60000, "( LVL 20 ) ( MTL 2 )", 1000, 1);
}

// A margin as long as the limit would leave no wait at all: half the limit is kept.
TEST_F(PressTimingTest, AtMostHalfAShortLimitIsKept) {
  expect_wait(60000, "( LVL 20 ) ( MTL 2 )", 1000, 5);
}

// The game stops press 8 seconds before the deadline: the wait ends a second before that.
TEST_F(PressTimingTest, TheEndOfPressCutsTheWaitShort) {
  expect_wait(60000, "( LVL 20 ) ( MTL 10 ) ( PTL 8 )", 1000, 1);
}

// A server that reads SND only with the turn and drops the connection of a client that
// sends the other form, as one widely used server does: the bot's press in every phase, its
// answers too, is of the form it reads, and the game goes on.
TEST_F(StrategyBotTest, SendsPressAServerReadingOnlyTheTurnFormTakes) {
  start();
  join_as("FRA", 1234, "( LVL 30 )");
  server.send_text(testing::kStartSco);
  int press = 0;
  for (const char* turn : {"SPR 1901", "FAL 1901"}) {
    SCOPED_TRACE(turn);
    server.send_text(
        std::string("NOW ( ") + turn + " ) " +
        std::string(testing::kStartNow).substr(std::string("NOW ( SPR 1901 ) ").size()));
    server.send_text("FRM ( GER ) ( FRA ) ( PRP ( PCE ( FRA GER ) ) )");
    server.send_text("FRM ( GER ) ( FRA ) ( PRP ( QRY ( PCE ( FRA GER ) ) ) )");
    // Its orders, and three answers to Germany: YES or REJ, then HUH and TRY.
    bool ordered = false;
    int to_germany = 0;
    while (!ordered || to_germany < 3) {
      const TokenMessage m = server.read_message();
      ASSERT_FALSE(m.is_empty()) << "the bot stopped";
      ordered = ordered || m.first_token() == tok::GOF;
      if (m.first_token() != tok::SND) continue;
      ++press;
      ASSERT_EQ(m.sub_message_count(), 4) << "dropped for " << printed_text(m);
      ASSERT_EQ(m.sub_message(1), parse(turn)) << printed_text(m);
      server.send_message(tok::YES & m);
      to_germany += m.sub_message(2) == parse("GER");
      // Every proposal is taken.
      const TokenMessage said = m.sub_message(3);
      if (said.first_token() == tok::PRP)
        server.send_message(((tok::FRM & m.sub_message(2)) & tok::FRA) & (tok::YES & said));
    }
  }
  EXPECT_GE(press, 6);  // answers and a TRY in each phase at least
  finish();
}

}  // namespace
}  // namespace quorvel
