#include "platform/comms_link.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/daide_framing.h"
#include "protocol/tokens.h"
#include "support/messages.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace quorvel::platform {
namespace {

using testing::ScriptedServer;

// What the link delivered, collected from its thread.
struct Delivery {
  std::vector<std::uint8_t> data;
  std::thread::id thread;

  int kind() const { return data.empty() ? -1 : data[0]; }
  std::uint16_t event() const {
    std::uint16_t event = 0;
    if (data.size() >= 10) std::memcpy(&event, &data[8], 2);
    return event;
  }
  std::uint32_t code() const {
    std::uint32_t code = 0;
    if (data.size() >= 8) std::memcpy(&code, &data[4], 4);
    return code;
  }
  std::vector<std::uint8_t> body() const { return {data.begin() + 4, data.end()}; }
};

class DeliverySink {
 public:
  static DeliverySink& instance() {
    static DeliverySink sink;
    return sink;
  }
  static void receive(const std::uint8_t* data, std::uint32_t length, std::uint32_t) {
    DeliverySink& sink = instance();
    std::lock_guard guard(sink.mutex_);
    sink.deliveries_.push_back({{data, data + length}, std::this_thread::get_id()});
    sink.changed_.notify_all();
  }
  Delivery next(int timeout_ms = 5000) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [this] { return !deliveries_.empty(); })) {
      ADD_FAILURE() << "no delivery";
      return {};
    }
    Delivery d = std::move(deliveries_.front());
    deliveries_.pop_front();
    return d;
  }
  void clear() {
    std::lock_guard guard(mutex_);
    deliveries_.clear();
  }
  bool empty_after(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    std::lock_guard guard(mutex_);
    return deliveries_.empty();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Delivery> deliveries_;
};

std::vector<std::uint8_t> outgoing(const TokenMessage& message) {
  std::vector<std::uint8_t> buffer(4 + 2 * static_cast<std::size_t>(message.length()));
  buffer[0] = kDiplomacyMessage;
  const auto size = static_cast<std::uint16_t>(2 * message.length());
  std::memcpy(&buffer[2], &size, 2);
  for (int i = 0; i < message.length(); ++i) {
    const std::uint16_t word = message.token_at(i).value();
    std::memcpy(&buffer[4 + 2 * static_cast<std::size_t>(i)], &word, 2);
  }
  return buffer;
}

TokenMessage delivered_message(const Delivery& d) {
  std::vector<std::uint16_t> words((d.data.size() - 4) / 2);
  std::memcpy(words.data(), d.data.data() + 4, words.size() * 2);
  TokenMessage message;
  message.set_from_words(words.data(), static_cast<int>(words.size()));
  return message;
}

class CommsLinkTest : public ::testing::Test {
 protected:
  // Deliveries of an earlier test in the same process are no concern of this one.
  CommsLinkTest() { sink.clear(); }

  void start(std::uint32_t stall_ms = 30000) {
    CommsConfig* config = link.configure("no-such-file.cfg");
    config->receive_callback = &DeliverySink::receive;
    config->stall_timeout_ms = stall_ms;
    ASSERT_TRUE(link.start(config));
    ASSERT_TRUE(link.convert_address("127.0.0.1", false, server.port()));
  }
  // Connects, checks the IM, and answers with an empty RM.
  void connect_and_greet() {
    link.connect();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(server.expect_initial_message());
    EXPECT_EQ(sink.next().event(), kEventConnected);
    server.send_representation();
    EXPECT_EQ(sink.next().kind(), kRepresentationMessage);
  }
  bool send(const std::string& text) {
    const auto buffer = outgoing(testing::parse(text));
    return link.send_message(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
  }
  std::uint16_t refusal() {
    const auto frame = server.read_frame();
    if (!frame || frame->type != kErrorMessage || frame->body.size() != 2) return 0;
    return read_big_endian(frame->body.data());
  }
  void expect_closed() {
    const Delivery closed = sink.next();
    EXPECT_EQ(closed.kind(), kLocalEvent);
    EXPECT_EQ(closed.event(), kEventClosed);
  }

  ScriptedServer server;
  DeliverySink& sink = DeliverySink::instance();
  CommsLink link;
};

TEST_F(CommsLinkTest, SendsTheImFirstAndHoldsMessagesUntilTheRm) {
  start();
  link.connect();
  // The bot's first message follows the connect request at once.
  EXPECT_TRUE(send("NME ( 'Quorvel' ) ( '1.1' )"));
  EXPECT_TRUE(send("OBS"));
  ASSERT_TRUE(server.accept());
  ASSERT_TRUE(server.expect_initial_message());
  const Delivery connected = sink.next();
  EXPECT_EQ(connected.kind(), kLocalEvent);
  EXPECT_EQ(connected.event(), kEventConnected);
  EXPECT_EQ(connected.code(), 0u);
  EXPECT_NE(connected.thread, std::this_thread::get_id());
  EXPECT_TRUE(server.quiet_for(200));

  server.send_representation();
  EXPECT_EQ(sink.next().kind(), kRepresentationMessage);
  EXPECT_EQ(server.read_message(), testing::parse("NME ( 'Quorvel' ) ( '1.1' )"));
  EXPECT_EQ(server.read_message(), testing::parse("OBS"));
  EXPECT_TRUE(send("MAP"));
  EXPECT_EQ(server.read_message(), testing::parse("MAP"));
}

TEST_F(CommsLinkTest, ConvertsByteOrderBothWays) {
  start();
  connect_and_greet();
  ASSERT_TRUE(send("HLO ( ENG )"));
  const auto frame = server.read_frame();
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->body,
            (std::vector<std::uint8_t>{0x48, 0x04, 0x40, 0x00, 0x41, 0x01, 0x40, 0x01}));

  server.send_raw({2, 0, 0, 4, 0x48, 0x0E, 0x3F, 0xFF});
  const Delivery now = sink.next();
  EXPECT_EQ(now.kind(), kDiplomacyMessage);
  EXPECT_EQ(delivered_message(now), tok::NOW + Token::from_number(-1));
}

TEST_F(CommsLinkTest, RepresentationEntriesArriveLowByteFirst) {
  start();
  link.connect();
  ASSERT_TRUE(server.accept());
  ASSERT_TRUE(server.expect_initial_message());
  sink.next();
  server.send_representation({0x41, 0x01, 'A', 'N', 'G', 0, 0x55, 0x3A, 'L', 'O', 'N', 0});
  const Delivery rm = sink.next();
  EXPECT_EQ(rm.body(), (std::vector<std::uint8_t>{0x01, 0x41, 'A', 'N', 'G', 0, 0x3A, 0x55, 'L',
                                                  'O', 'N', 0}));
}

TEST_F(CommsLinkTest, ReassemblesSplitMessagesAndSeparatesJoinedOnes) {
  start();
  connect_and_greet();
  const auto frame = encode_frame(
      kDiplomacyMessage, testing::wire_body(testing::parse("NOW ( SPR 1901 ) ( ENG AMY LON )")));
  server.send_raw({frame.begin(), frame.begin() + 3});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  server.send_raw({frame.begin() + 3, frame.begin() + 9});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  server.send_raw({frame.begin() + 9, frame.end()});
  EXPECT_EQ(delivered_message(sink.next()), testing::parse("NOW ( SPR 1901 ) ( ENG AMY LON )"));

  std::vector<std::uint8_t> three;
  for (const char* text : {"HLO ( ENG ) ( 1 ) ( )", "SCO ( ENG LON )", "OFF"}) {
    const auto f = encode_frame(kDiplomacyMessage, testing::wire_body(testing::parse(text)));
    three.insert(three.end(), f.begin(), f.end());
  }
  server.send_raw(three);
  EXPECT_EQ(delivered_message(sink.next()), testing::parse("HLO ( ENG ) ( 1 ) ( )"));
  EXPECT_EQ(delivered_message(sink.next()), testing::parse("SCO ( ENG LON )"));
  EXPECT_EQ(delivered_message(sink.next()), testing::parse("OFF"));
}

TEST_F(CommsLinkTest, FinalAndErrorMessagesCloseTheLink) {
  start();
  connect_and_greet();
  server.send_frame(kFinalMessage, {});
  EXPECT_EQ(sink.next().kind(), kFinalMessage);
  expect_closed();
  EXPECT_TRUE(server.client_closes());
  EXPECT_FALSE(send("OBS"));
}

TEST_F(CommsLinkTest, ErrorCodesArriveInHostOrder) {
  start();
  connect_and_greet();
  server.send_frame(kErrorMessage, {0xFF, 0xFF});
  const Delivery error = sink.next();
  EXPECT_EQ(error.kind(), kErrorMessage);
  std::uint16_t code = 0;
  std::memcpy(&code, &error.data[4], 2);
  EXPECT_EQ(code, 65535);
  expect_closed();
}

TEST_F(CommsLinkTest, FailedConnectReportsTheSystemError) {
  CommsConfig* config = link.configure(nullptr);
  config->receive_callback = &DeliverySink::receive;
  ASSERT_TRUE(link.start(config));
  ASSERT_TRUE(link.convert_address("127.0.0.1", false, testing::unused_port()));
  link.connect();
  const Delivery failed = sink.next();
  EXPECT_EQ(failed.event(), kEventConnected);
  EXPECT_EQ(failed.code(), static_cast<std::uint32_t>(os::connection_refused_error()));
  EXPECT_TRUE(sink.empty_after(100));
  EXPECT_FALSE(send("OBS"));
}

// What a server may not send: the link answers with the protocol's error and closes.
struct Breach {
  const char* name;
  bool greeted;  // the RM came first
  std::vector<std::uint8_t> bytes;
  std::uint16_t code;
};

class ServerBreach : public CommsLinkTest, public ::testing::WithParamInterface<Breach> {};

TEST_P(ServerBreach, GetsTheProtocolsErrorAndCloses) {
  const Breach& breach = GetParam();
  start(300);
  if (breach.greeted) {
    connect_and_greet();
  } else {
    link.connect();
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(server.expect_initial_message());
    sink.next();
  }
  server.send_raw(breach.bytes);
  // A server's IM reaches the bot before the refusal.
  if (breach.code == kImFromServer) {
    EXPECT_EQ(sink.next().kind(), kInitialMessage);
  }
  EXPECT_EQ(refusal(), breach.code);
  EXPECT_TRUE(server.client_closes());
  expect_closed();
}

INSTANTIATE_TEST_SUITE_P(
    Breaches, ServerBreach,
    ::testing::Values(Breach{"UnknownType", true, {9, 0, 0, 0}, kUnknownMessageType},
                      Breach{"SecondRm", true, {1, 0, 0, 0}, kRmRepeated},
                      Breach{"DmBeforeRm", false, {2, 0, 0, 2, 0x48, 0x04}, kRmNotFirst},
                      Breach{"ImFromServer", true, {0, 0, 0, 4, 0, 1, 0xDA, 0x10}, kImFromServer},
                      // The header promises ten bytes; two come, then nothing.
                      Breach{
                          "MessageNeverEnds", true, {2, 0, 0, 10, 0x48, 0x10}, kMessageTooShort}),
    [](const ::testing::TestParamInfo<Breach>& info) { return info.param.name; });

TEST_F(CommsLinkTest, SendingIntoAClosedPeerNeverKillsTheProcess) {
  start();
  connect_and_greet();
  server.close_client();
  // Until the close is noticed, sends may still go out; none may raise SIGPIPE.
  bool refused = false;
  for (int i = 0; i < 200 && !refused; ++i) {
    refused = !send("OBS");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(refused);
  const Delivery ending = sink.next();
  EXPECT_EQ(ending.kind(), kLocalEvent);
  EXPECT_TRUE(ending.event() == kEventClosed || ending.event() == kEventWriteError ||
              ending.event() == kEventReadError);
  for (int i = 0; i < 20; ++i)
    EXPECT_FALSE(send("OBS"));
}

TEST_F(CommsLinkTest, AddressesByNameOrNumberReachTheServer) {
  CommsConfig* config = link.configure(nullptr);
  config->receive_callback = &DeliverySink::receive;
  ASSERT_TRUE(link.start(config));
  EXPECT_TRUE(link.convert_address("127.0.0.1", false, 16713));
  EXPECT_TRUE(link.convert_address("::1", false, 16713));
  EXPECT_TRUE(link.convert_address("localhost", true, 16713));
  EXPECT_FALSE(link.convert_address("localhost", false, 16713));
  EXPECT_FALSE(link.convert_address("300.1.1.1", false, 16713));
  EXPECT_FALSE(link.convert_address("no-such-host.invalid", true, 16713));
  // By name, a server on either family is reached.
  ASSERT_TRUE(link.convert_address("localhost", true, server.port()));
  link.connect();
  ASSERT_TRUE(server.accept());
  EXPECT_TRUE(server.expect_initial_message());
}

TEST_F(CommsLinkTest, ConfigurationFileAndFramingLog) {
  testing::TempDir dir;
  testing::write_file(dir / "tandril.cfg",
                      "# timeouts\nstall_timeout_ms = 250\nconnect_timeout_ms=900\nbogus\n");
  CommsConfig* config = link.configure((dir / "tandril.cfg").string().c_str());
  EXPECT_EQ(config->stall_timeout_ms, 250u);
  EXPECT_EQ(config->connect_timeout_ms, 900u);
  EXPECT_EQ(config->send_timeout_ms, 10000u);
  EXPECT_EQ(std::string(config->log_file_name), "tcpip_output.txt");

  const std::string log = (dir / "tcpip_output.txt").string();
  config->receive_callback = &DeliverySink::receive;
  config->logging = true;
  config->log_file_name = log.c_str();
  ASSERT_TRUE(link.start(config));
  ASSERT_TRUE(link.convert_address("127.0.0.1", false, server.port()));
  connect_and_greet();
  ASSERT_TRUE(send("OBS"));
  server.read_message();
  link.stop();
  const std::string text = testing::read_file(log);
  for (const char* line : {"Connected", "Sent IM", "Received RM, 0 bytes", "Sent DM, 2 bytes"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
  }
}

}  // namespace
}  // namespace quorvel::platform
