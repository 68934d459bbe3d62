// The game server over real TCP, driven by scripted clients: the transport. What the
// session answers is tested in this process (game_session_test).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
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
  // Brackets that do not balance come back in PRN, as they came: PRN ( HLO ( ).
  good.send_raw({2, 0, 0, 4, 0x48, 0x04, 0x40, 0x00});
  const auto prn = good.read_frame();
  ASSERT_TRUE(prn);
  EXPECT_EQ(prn->body, (std::vector<std::uint8_t>{0x48, 0x13, 0x40, 0x00, 0x48, 0x04, 0x40, 0x00,
                                                  0x40, 0x01}));
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

// A map of the file: its name and definition go out, only its powers are seated and
// reported. A faulty file stops the server before it listens or writes.
TEST(GameServer, PlaysTheMapOfAFileAndRefusesAFaultyOne) {
  const std::string west = QUORVEL_DATA_DIR "/maps/west.map";
  ServerUnderTest server({"-a" + west, "-o1", "-kgreedy", "-y1902", "-s5"});
  ScriptedClient player;
  ASSERT_TRUE(player.connect(server.port));
  player.send_text("NME ( 'Scripted' ) ( '1' )");
  ASSERT_EQ(player.read_message().first_token(), YES);
  EXPECT_EQ(player.read_message(), parse("MAP ( 'west' )"));
  player.send_text("MDF");
  const TokenMessage mdf = player.read_message();
  EXPECT_EQ(mdf.sub_message(1), parse("ENG FRA ITA"));
  player.send_text("YES ( MAP ( 'west' ) )");
  const TokenMessage hello = read_until(player, HLO);
  const Token power = hello.sub_message(1).first_token();
  EXPECT_TRUE(power == ENG || power == FRA || power == ITA) << hello.to_text();
  // Left, its units hold while the others play on to the end.
  player.close_client();
  EXPECT_EQ(server.process->wait_exit(20000), 0);
  const std::string record = server.record();
  EXPECT_NE(record.find("ITA is played by"), std::string::npos) << record;
  EXPECT_EQ(record.find("AUS is played by"), std::string::npos) << record;
  EXPECT_EQ(record.find("GER"), std::string::npos) << record;

  testing::TempDir dir;
  testing::write_file(dir / "bad.map",
                      "MDF ( FRA ) ( ( ( FRA PAR ) ) ( ) ) ( ( PAR ( AMY PAR ) ) )\n"
                      "SCO ( FRA PAR )\nNOW ( SPR 1901 ) ( FRA AMY PAR ) ( GER AMY PAR )");
  testing::ChildProcess bad(QUORVEL_SERVER_BINARY, {"-abad.map", "-ggame.txt", "-p0"}, dir.path());
  EXPECT_EQ(bad.wait_exit(10000), 2);
  EXPECT_NE(testing::read_file(dir / "stderr.txt")
                .find("bad.map:3:36: a unit of a power not in the power list"),
            std::string::npos)
      << testing::read_file(dir / "stderr.txt");
  EXPECT_FALSE(std::filesystem::exists(dir / "game.txt"));
  EXPECT_EQ(testing::read_file(dir / "stdout.txt"), "");
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

// Press over TCP: a press client's SND reaches the negotiating house players and their
// answers come back; a client flooding press of every size does not slow the other.
TEST(GameServer, PressReachesTheHousePlayersAndAFloodHoldsUpNobody) {
  ServerUnderTest server({"-o2", "-l20", "-khonest", "-s11"});
  ScriptedClient speaker;
  ScriptedClient patient;
  ASSERT_TRUE(speaker.connect(server.port));
  ASSERT_TRUE(speaker.join("Speaker"));
  ASSERT_TRUE(patient.connect(server.port));
  ASSERT_TRUE(patient.join("Patient"));
  const TokenMessage hello = read_until(speaker, HLO);
  ASSERT_EQ(hello.sub_message(3), parse("( LVL 20 )"));
  const Token me = hello.sub_message(1).first_token();
  const Token other = read_until(patient, HLO).sub_message(1).first_token();
  ASSERT_EQ(read_until(speaker, NOW).first_token(), NOW);
  ASSERT_EQ(read_until(patient, NOW).first_token(), NOW);

  // Every house player hears the proposal and answers it.
  TokenMessage to_all;
  for (int power = 0; power < 7; ++power) {
    const Token t(CATEGORY_POWER, power);
    if (t != me && t != other) to_all = to_all + t;
  }
  speaker.send_message((SND & to_all) & (PRP & (DRW)));
  EXPECT_EQ(read_until(speaker, YES), YES & ((SND & to_all) & (PRP & (DRW))));
  int answers = 0;
  for (TokenMessage m = read_until(speaker, FRM, 2000); !m.is_empty();
       m = read_until(speaker, FRM, 500)) {
    answers += m.sub_message(3).first_token() == REJ;
  }
  EXPECT_EQ(answers, 5);

  std::thread flooding([&speaker, other] {
    std::vector<Token> big{SND, BRA, other, KET, BRA, TRY, BRA};
    big.insert(big.end(), 30000, PCE);
    big.push_back(KET);
    big.push_back(KET);
    TokenMessage huge;
    huge.set_from_tokens(big.data(), static_cast<int>(big.size()));
    for (int i = 0; i < 40; ++i)
      speaker.send_message(huge);
    const TokenMessage small = (SND & other) & parse("FCT ( DRW )");
    for (int i = 0; i < 3000; ++i)
      speaker.send_message(small);
  });
  int heard = 0;
  for (int i = 0; i < 5; ++i) {
    const auto asked = std::chrono::steady_clock::now();
    patient.send_text("MAP");
    for (TokenMessage m = patient.read_message(2000); !m.is_empty() && m.first_token() != MAP;
         m = patient.read_message(2000))
      heard += m.first_token() == FRM;
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
  }
  flooding.join();
  speaker.close_client();
  // Some of the flood was relayed, most of it refused.
  while (patient.read_message(1000).first_token() == FRM)
    ++heard;
  EXPECT_GT(heard, 0);
  EXPECT_LE(heard, 200);
  EXPECT_NE(server.record().find("(Honest) << FRM"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
