// The game server over real TCP, driven by scripted clients.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/daide_framing.h"
#include "protocol/tokens.h"
#include "server/server_test_support.h"

namespace quorvel {
namespace {

using namespace tok;
using testing::parse;
using testing::read_until;
using testing::ScriptedClient;
using testing::ServerUnderTest;

std::uint16_t refusal(ScriptedClient& client) {
  const auto frame = client.read_frame(5000);
  if (!frame || frame->type != platform::kErrorMessage || frame->body.size() != 2) return 0;
  return platform::read_big_endian(frame->body.data());
}

// The units of a power as a NOW lists them, each ordered to hold.
TokenMessage hold_all(const TokenMessage& now, Token power) {
  TokenMessage sub(SUB);
  for (int i = 2; i < now.sub_message_count(); ++i) {
    const TokenMessage unit = now.sub_message(i);
    if (unit.first_token() == power && unit.sub_message_count() == 3)
      sub = sub & (unit.enclose() + HLD);
  }
  return sub;
}

TEST(GameServer, BreachesOfTheProtocolGetTheirErrorCodes) {
  ServerUnderTest server({"-o2", "-i1"});
  ASSERT_NE(server.port, 0);
  struct Case {
    std::vector<std::uint8_t> bytes;
    bool greeted;
    std::uint16_t code;
  };
  const Case cases[] = {
      {{2, 0, 0, 2, 0x48, 0x09}, false, platform::kImNotFirst},
      {{0, 0, 0, 4, 0, 1, 0xDA, 0x11}, false, platform::kImWrongMagic},
      {{0, 0, 0, 4, 1, 0, 0x10, 0xDA}, false, platform::kImWrongEndian},
      {{0, 0, 0, 4, 0, 2, 0xDA, 0x10}, false, platform::kVersionIncompatible},
      {{0, 0, 0, 4, 0, 1, 0xDA, 0x10}, true, platform::kImRepeated},
      {{1, 0, 0, 0}, true, platform::kRmFromClient},
      {{9, 0, 0, 0}, true, platform::kUnknownMessageType},
      {{2, 0, 0, 3, 0x48, 0x09, 0}, true, platform::kMessageTooShort},
      // Half a message, then nothing: the stall limit (one second here).
      {{2, 0, 0, 10, 0x48, 0x09}, true, platform::kMessageTooShort},
      // Nothing at all: the IM timer.
      {{}, false, platform::kImTimerPopped},
  };
  for (const Case& c : cases) {
    ScriptedClient client;
    ASSERT_TRUE(client.connect(server.port, c.greeted));
    client.send_raw(c.bytes);
    EXPECT_EQ(refusal(client), c.code) << "code " << c.code;
    EXPECT_TRUE(client.client_closes(3000)) << "code " << c.code;
  }
  // The server still answers.
  ScriptedClient good;
  ASSERT_TRUE(good.connect(server.port));
  good.send_text("MAP");
  EXPECT_EQ(good.read_message(), parse("MAP ( 'standard' )"));
}

TEST(GameServer, AnswersOfAServerAtPressLevelZero) {
  ServerUnderTest server({"-o2"});
  ScriptedClient observer;
  ASSERT_TRUE(observer.connect(server.port));
  observer.send_text("OBS");
  EXPECT_EQ(observer.read_message(), parse("YES ( OBS )"));
  EXPECT_EQ(observer.read_message(), parse("MAP ( 'standard' )"));
  observer.send_text("MDF");
  EXPECT_EQ(observer.read_message(), testing::standard_map_message());
  observer.send_text("HLO");
  EXPECT_EQ(observer.read_message(), parse("REJ ( HLO )"));
  observer.send_text("NOW");
  EXPECT_EQ(observer.read_message(), parse("REJ ( NOW )"));
  observer.send_text("SVE ( 'game' )");
  EXPECT_EQ(observer.read_message(), parse("HUH ( ERR SVE ( 'game' ) )"));
  observer.send_text("SND ( FRA ) ( PRP ( PCE ( ENG FRA ) ) )");
  EXPECT_EQ(observer.read_message(), parse("REJ ( SND ( FRA ) ( PRP ( PCE ( ENG FRA ) ) ) )"));
  // Brackets that do not balance come back in PRN.
  observer.send_raw({2, 0, 0, 4, 0x48, 0x04, 0x40, 0x00});
  const auto prn = observer.read_frame();
  ASSERT_TRUE(prn);
  // PRN ( HLO ( ), as it came.
  EXPECT_EQ(prn->body, (std::vector<std::uint8_t>{0x48, 0x13, 0x40, 0x00, 0x48, 0x04, 0x40, 0x00,
                                                  0x40, 0x01}));

  ScriptedClient late;
  ASSERT_TRUE(late.connect(server.port));
  ASSERT_TRUE(late.join("One"));
  ScriptedClient later;
  ASSERT_TRUE(later.connect(server.port));
  ASSERT_TRUE(later.join("Two"));
  // Both seats for clients are taken: the third is refused.
  ScriptedClient third;
  ASSERT_TRUE(third.connect(server.port));
  third.send_text("NME ( 'Three' ) ( '1' )");
  EXPECT_EQ(third.read_message(), parse("REJ ( NME ( 'Three' ) ( '1' ) )"));
}

TEST(GameServer, PlaysAPhaseWithAClient) {
  ServerUnderTest server({"-o1", "-khold", "-y1901"});
  ScriptedClient client;
  ASSERT_TRUE(client.connect(server.port));
  ASSERT_TRUE(client.join());
  const TokenMessage hello = read_until(client, HLO);
  ASSERT_EQ(hello.sub_message_count(), 4);
  EXPECT_EQ(hello.sub_message(3), parse("( LVL 0 )"));
  const Token power = hello.sub_message(1).first_token();
  EXPECT_EQ(read_until(client, SCO).first_token(), SCO);
  const TokenMessage now = read_until(client, NOW);
  ASSERT_EQ(now.sub_message(1), parse("SPR 1901"));
  client.send_text("TME");
  EXPECT_EQ(read_until(client, REJ), parse("REJ ( TME )"));
  client.send_text("NOT ( GOF )");
  EXPECT_EQ(read_until(client, YES), parse("YES ( NOT ( GOF ) )"));

  const TokenMessage orders = hold_all(now, power);
  client.send_message(orders);
  for (int i = 1; i < orders.sub_message_count(); ++i) {
    const TokenMessage thx = read_until(client, THX);
    EXPECT_EQ(thx.sub_message(2), TokenMessage(MBV)) << thx.to_text();
  }
  EXPECT_EQ(read_until(client, MIS), TokenMessage(MIS));
  // Not ready: nothing is processed until GOF.
  EXPECT_TRUE(client.quiet_for(300));
  client.send_text("GOF");
  EXPECT_EQ(read_until(client, YES), parse("YES ( GOF )"));
  const TokenMessage result = read_until(client, ORD);
  EXPECT_EQ(result.sub_message(1), parse("SPR 1901"));
  EXPECT_EQ(read_until(client, NOW).sub_message(1), parse("FAL 1901"));
  client.send_text("HST ( SPR 1901 )");
  EXPECT_EQ(read_until(client, ORD).sub_message(1), parse("SPR 1901"));

  // The autumn ends the game at its last year.
  client.send_message(hold_all(now, power));
  EXPECT_EQ(read_until(client, DRW), TokenMessage(DRW));
  const TokenMessage summary = read_until(client, SMR);
  EXPECT_EQ(summary.sub_message_count(), 9);
  EXPECT_EQ(read_until(client, OFF), TokenMessage(OFF));
  EXPECT_TRUE(client.client_closes());
  EXPECT_EQ(server.process->wait_exit(5000), 0);
  EXPECT_NE(server.output().find("Result: draw after 1901"), std::string::npos) << server.output();
  EXPECT_NE(server.record().find(" << OFF"), std::string::npos);
}

TEST(GameServer, RejoinWithThePasscodeAfterCivilDisorder) {
  ServerUnderTest server({"-o2", "-khold"});
  auto first = std::make_unique<ScriptedClient>();
  ScriptedClient second;
  ASSERT_TRUE(first->connect(server.port));
  ASSERT_TRUE(first->join("First"));
  ASSERT_TRUE(second.connect(server.port));
  ASSERT_TRUE(second.join("Second"));
  const TokenMessage hello = read_until(*first, HLO);
  const Token power = hello.sub_message(1).first_token();
  const Token passcode = hello.sub_message(2).first_token();
  ASSERT_EQ(read_until(second, NOW).first_token(), NOW);

  first.reset();
  EXPECT_EQ(read_until(second, CCD), CCD & power);

  ScriptedClient back;
  ASSERT_TRUE(back.connect(server.port));
  back.send_text("NME ( 'First' ) ( '1' )");
  EXPECT_EQ(back.read_message().first_token(), REJ);
  back.send_message((IAM & power) & Token::from_number(passcode.number() + 1));
  EXPECT_EQ(back.read_message().first_token(), REJ);
  back.send_message((IAM & power) & passcode);
  EXPECT_EQ(back.read_message(), (YES & ((IAM & power) & passcode)));
  EXPECT_EQ(read_until(second, NOT), NOT & (CCD & power));
  back.send_text("HLO");
  EXPECT_EQ(read_until(back, HLO), hello);
}

TEST(GameServer, AClientThatNeverAnswersStallsNoLongerThanTheTimeLimit) {
  ServerUnderTest server({"-o1", "-khold", "-m1"});
  ScriptedClient client;
  ASSERT_TRUE(client.connect(server.port));
  ASSERT_TRUE(client.join());
  const TokenMessage hello = read_until(client, HLO);
  EXPECT_EQ(hello.sub_message(3), parse("( LVL 0 ) ( MTL 1 )"));
  ASSERT_EQ(read_until(client, NOW).sub_message(1), parse("SPR 1901"));
  client.send_text("TME");
  const TokenMessage left = read_until(client, TME);
  EXPECT_LE(left.sub_message(1).first_token().number(), 1);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(read_until(client, ORD, 3000).first_token(), ORD);
  EXPECT_EQ(read_until(client, NOW, 3000).sub_message(1), parse("FAL 1901"));
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));
}

TEST(GameServer, ALeavingPlayerDoesNotStallTheGame) {
  ServerUnderTest server({"-o1", "-krandom", "-y1903", "-s3"});
  ScriptedClient observer;
  ASSERT_TRUE(observer.connect(server.port));
  observer.send_text("OBS");
  ASSERT_EQ(observer.read_message(), parse("YES ( OBS )"));
  {
    ScriptedClient player;
    ASSERT_TRUE(player.connect(server.port));
    ASSERT_TRUE(player.join());
    ASSERT_EQ(read_until(player, NOW).first_token(), NOW);
  }
  // Its units hold while the others play on to the end.
  EXPECT_EQ(read_until(observer, CCD, 5000).first_token(), CCD);
  EXPECT_EQ(read_until(observer, SMR, 10000).first_token(), SMR);
  EXPECT_EQ(server.process->wait_exit(5000), 0);
}

TEST(GameServer, GarbageAndFloodsCostTheOthersNothing) {
  ServerUnderTest server({"-o2"});
  ScriptedClient patient;
  ASSERT_TRUE(patient.connect(server.port));

  ScriptedClient vandal;
  ASSERT_TRUE(vandal.connect(server.port));
  vandal.send_raw(std::vector<std::uint8_t>(4096, 0x77));
  EXPECT_EQ(refusal(vandal), platform::kUnknownMessageType);

  // A client that asks and asks and never reads.
  ScriptedClient flood;
  ASSERT_TRUE(flood.connect(server.port));
  std::thread flooding([&flood] {
    std::vector<std::uint8_t> burst;
    for (int i = 0; i < 2000; ++i) {
      const auto frame = platform::encode_frame(platform::kDiplomacyMessage, {0x48, 0x0A});
      burst.insert(burst.end(), frame.begin(), frame.end());
    }
    for (int i = 0; i < 20; ++i)
      flood.send_raw(burst);
  });
  for (int i = 0; i < 5; ++i) {
    const auto asked = std::chrono::steady_clock::now();
    patient.send_text("MAP");
    EXPECT_EQ(patient.read_message(2000), parse("MAP ( 'standard' )"));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
  }
  flood.close_client();
  flooding.join();
}

}  // namespace
}  // namespace quorvel
