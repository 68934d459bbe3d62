// The game session in this process, through its output seam: what a server answers and
// when it processes, without sockets or a clock.
#include <gtest/gtest.h>

#include "protocol/tokens.h"
#include "savedgame/saved_game_file.h"
#include "savedgame/saved_game_json.h"
#include "server/session_support.h"

namespace quorvel {
namespace {

using namespace tok;
using server::Clock;
using testing::hold_all;
using testing::parse;
using testing::Session;

TEST_F(Session, AnswersOfAServerAtPressLevelZero) {
  start({"-o2"});
  session->on_connect(1, "test");
  say(1, "OBS");
  EXPECT_EQ(out.next(1), parse("YES ( OBS )"));
  EXPECT_EQ(out.next(1), parse("MAP ( 'standard' )"));
  say(1, "MDF");
  EXPECT_EQ(out.next(1), testing::standard_map_message());
  for (const char* refused : {"HLO", "NOW", "SCO", "MIS", "GOF", "DRW", "ORD", "TME"}) {
    say(1, refused);
    EXPECT_EQ(out.next(1), REJ & parse(refused)) << refused;
  }
  for (const char* strange : {"SVE ( 'game' )", "MAP ( 'x' )", "ADM ( 'x' )", "( HLO )"}) {
    say(1, strange);
    EXPECT_EQ(out.next(1).first_token(), HUH) << strange;
  }
  say(1, "SVE ( 'game' )");
  EXPECT_EQ(out.next(1), parse("HUH ( ERR SVE ( 'game' ) )"));
  // No press at level 0: SND is not understood at all.
  say(1, "SND ( FRA ) ( PRP ( PCE ( ENG FRA ) ) )");
  EXPECT_EQ(out.next(1), parse("HUH ( ERR SND ( FRA ) ( PRP ( PCE ( ENG FRA ) ) ) )"));

  join(2, "One");
  join(3, "Two");
  // Both seats for clients are taken: the third is refused.
  session->on_connect(4, "test");
  say(4, "NME ( 'Three' ) ( '1' )");
  EXPECT_EQ(out.next(4), parse("REJ ( NME ( 'Three' ) ( '1' ) )"));
  // Administrative messages go to everyone else.
  say(4, "ADM ( 'Three' ) ( 'hello' )");
  EXPECT_EQ(out.until(1, ADM), parse("ADM ( 'Three' ) ( 'hello' )"));
  EXPECT_TRUE(out.until(4, ADM).is_empty());
}

TEST_F(Session, PlaysAPhaseWithAClient) {
  start({"-o1", "-khold", "-y1901"});
  join(1);
  const TokenMessage hello = out.until(1, HLO);
  ASSERT_EQ(hello.sub_message_count(), 4);
  EXPECT_EQ(hello.sub_message(3), parse("( LVL 0 )"));
  const Token power = hello.sub_message(1).first_token();
  EXPECT_EQ(out.until(1, SCO).first_token(), SCO);
  const TokenMessage now_message = out.until(1, NOW);
  ASSERT_EQ(now_message.sub_message(1), parse("SPR 1901"));
  say(1, "HLO");
  EXPECT_EQ(out.next(1), hello);
  say(1, "TME");
  EXPECT_EQ(out.next(1), parse("REJ ( TME )"));
  say(1, "NOT ( GOF )");
  EXPECT_EQ(out.next(1), parse("YES ( NOT ( GOF ) )"));

  const TokenMessage orders = hold_all(now_message, power);
  say(1, orders);
  for (int i = 1; i < orders.sub_message_count(); ++i)
    EXPECT_EQ(out.next(1).sub_message(2), TokenMessage(MBV));
  EXPECT_EQ(out.next(1), TokenMessage(MIS));
  // Not ready: nothing is processed until GOF.
  EXPECT_TRUE(out.sent[1].empty());
  say(1, "GOF");
  EXPECT_EQ(out.next(1), parse("YES ( GOF )"));
  EXPECT_EQ(out.until(1, ORD).sub_message(1), parse("SPR 1901"));
  EXPECT_EQ(out.until(1, NOW).sub_message(1), parse("FAL 1901"));
  say(1, "HST ( SPR 1901 )");
  EXPECT_EQ(out.until(1, ORD).sub_message(1), parse("SPR 1901"));
  say(1, "HST ( SPR 1950 )");
  EXPECT_EQ(out.until(1, REJ), parse("REJ ( HST ( SPR 1950 ) )"));

  // The autumn ends the game at its last year.
  say(1, hold_all(now_message, power));
  EXPECT_EQ(out.until(1, DRW), TokenMessage(DRW));
  EXPECT_EQ(out.until(1, SMR).sub_message_count(), 9);
  EXPECT_EQ(out.until(1, OFF), TokenMessage(OFF));
  EXPECT_TRUE(out.closed.count(1));
  EXPECT_TRUE(session->finished());
  EXPECT_EQ(session->outcome(), "draw after 1901");
  EXPECT_NE(progress.str().find("1901: AUS  3 ENG  3"), std::string::npos) << progress.str();
  EXPECT_NE(progress.str().find("Result: draw after 1901"), std::string::npos);
}

TEST_F(Session, RejoinWithThePasscodeAfterCivilDisorder) {
  start({"-o2", "-khold"});
  join(1, "First");
  join(2, "Second");
  const TokenMessage hello = out.until(1, HLO);
  const Token power = hello.sub_message(1).first_token();
  const Token passcode = hello.sub_message(2).first_token();
  ASSERT_EQ(out.until(2, NOW).first_token(), NOW);

  session->on_disconnect(1, now);
  EXPECT_EQ(out.until(2, CCD), CCD & power);

  session->on_connect(3, "test");
  say(3, "NME ( 'First' ) ( '1' )");
  EXPECT_EQ(out.next(3).first_token(), REJ);
  say(3, (IAM & power) & Token::from_number(passcode.number() + 1));
  EXPECT_EQ(out.next(3).first_token(), REJ);
  say(3, (IAM & power) & passcode);
  EXPECT_EQ(out.next(3), (YES & ((IAM & power) & passcode)));
  EXPECT_EQ(out.until(2, NOT), NOT & (CCD & power));
  say(3, "HLO");
  EXPECT_EQ(out.until(3, HLO), hello);
}

TEST_F(Session, TimeLimitsRunOnTheTimeTheHostGives) {
  start({"-o1", "-khold", "-m10"});
  join(1);
  EXPECT_EQ(out.until(1, HLO).sub_message(3), parse("( LVL 0 ) ( MTL 10 )"));
  ASSERT_EQ(out.until(1, NOW).sub_message(1), parse("SPR 1901"));
  ASSERT_EQ(session->next_deadline(), now + std::chrono::seconds(10));
  now += std::chrono::seconds(4);
  say(1, "TME");
  EXPECT_EQ(out.next(1), parse("TME ( 6 )"));
  say(1, "TME ( 3 )");
  EXPECT_EQ(out.next(1), parse("YES ( TME ( 3 ) )"));
  session->tick(now + std::chrono::seconds(2));
  EXPECT_TRUE(out.sent[1].empty());
  session->tick(now + std::chrono::seconds(3));
  EXPECT_EQ(out.next(1), parse("TME ( 3 )"));
  // A client that never orders: its units hold when the time is up, and not before.
  session->tick(now + std::chrono::seconds(5));
  EXPECT_TRUE(out.until(1, ORD).is_empty());
  session->tick(now + std::chrono::seconds(6));
  EXPECT_EQ(out.until(1, ORD).sub_message(1), parse("SPR 1901"));
  EXPECT_EQ(out.until(1, NOW).sub_message(1), parse("FAL 1901"));
  EXPECT_EQ(session->next_deadline(), now + std::chrono::seconds(16));
}

TEST_F(Session, ADrawWhenEveryPlayerAsksForOne) {
  start({"-o7"});
  for (int client = 1; client <= 7; ++client)
    join(client);
  for (int client = 1; client <= 6; ++client)
    say(client, "DRW");
  EXPECT_EQ(out.sent[1].back(), parse("YES ( DRW )"));
  say(1, "NOT ( DRW )");
  say(7, "DRW");
  EXPECT_FALSE(session->finished());
  say(1, "DRW");
  EXPECT_TRUE(session->finished());
  EXPECT_EQ(out.until(2, DRW), TokenMessage(DRW));
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

// A server saving its game writes it as each phase begins: a game stopped in the middle
// of a phase leaves a whole file, its last phase the one it stood in.
TEST_F(Session, TheSavedGameIsWrittenAsEachPhaseBegins) {
  start({"-o1", "-khold", "-y1902"});
  const std::string path = (dir / "game.json").string();
  int writes = 0;
  session->keep_saved_game("kept", [&](const savedgame::SavedGame& game) {
    ++writes;
    ASSERT_TRUE(savedgame::write_saved_game(path, game));
  });
  join(1);
  const TokenMessage hello = out.until(1, HLO);
  const Token power = hello.sub_message(1).first_token();
  EXPECT_EQ(writes, 1);
  say(1, hold_all(out.until(1, NOW), power));
  EXPECT_EQ(writes, 2);
  savedgame::SavedGameReading reading = savedgame::read_saved_game(path);
  ASSERT_TRUE(reading.game) << reading.error;
  ASSERT_EQ(reading.game->phases.size(), 2u);
  const savedgame::SavedPhase& spring = reading.game->phases[0];
  EXPECT_EQ(spring.name, "S1901M");
  EXPECT_EQ(spring.orders.size(), 7u);
  EXPECT_EQ(spring.results.size(), 22u);
  EXPECT_EQ(reading.game->phases[1].name, "F1901M");
  EXPECT_TRUE(reading.game->phases[1].orders.empty());

  session->shut_down();
  EXPECT_EQ(writes, 3);
  reading = savedgame::read_saved_game(path);
  ASSERT_TRUE(reading.game) << reading.error;
  ASSERT_EQ(reading.game->phases.size(), 2u);
  EXPECT_EQ(reading.game->phases[1].state.note, "Victory by: AUS, ENG, FRA, GER, ITA, RUS, TUR");
}

}  // namespace
}  // namespace quorvel
