#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/os.h"
#include "protocol/token_message.h"

namespace quorvel::testing {

// One end of a DAIDE connection on the loopback interface that a test drives step by
// step. Every wait is bounded, so a test fails instead of hanging.
class ScriptedPeer {
 public:
  struct Frame {
    int type = -1;
    std::vector<std::uint8_t> body;
  };

  ScriptedPeer() = default;
  virtual ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  // The next frame, or nothing on timeout or when the client closed.
  std::optional<Frame> read_frame(int timeout_ms = 5000);
  // Reads the IM and checks it.
  bool expect_initial_message();
  // The next frame as a message; an empty message when it is no DM.
  TokenMessage read_message(int timeout_ms = 5000);
  // True when nothing arrives within the time.
  bool quiet_for(int timeout_ms);
  // True when the client closes within the time (frames before the close are dropped).
  bool client_closes(int timeout_ms = 5000);

  void send_raw(const std::vector<std::uint8_t>& bytes);
  void send_frame(int type, const std::vector<std::uint8_t>& body);
  void send_representation(const std::vector<std::uint8_t>& body = {});
  void send_message(const TokenMessage& message);
  void send_text(const std::string& text);
  void close_client();

 protected:
  bool read_exact(std::uint8_t* out, std::size_t size, int timeout_ms);

  platform::os::Socket client_ = platform::os::kNoSocket;
};

// A DAIDE server on the loopback interface, for one client.
class ScriptedServer : public ScriptedPeer {
 public:
  ScriptedServer();
  ~ScriptedServer() override;

  std::uint16_t port() const { return port_; }
  bool accept(int timeout_ms = 5000);

 private:
  platform::os::Socket listener_ = platform::os::kNoSocket;
  std::uint16_t port_ = 0;
};

// A DAIDE client of a server on the loopback interface.
class ScriptedClient : public ScriptedPeer {
 public:
  // Connects, and unless told otherwise sends the IM and takes the RM.
  bool connect(std::uint16_t port, bool greet = true);
  // Joins as a player: NME, then the map handshake; false when the server refuses.
  bool join(const std::string& name = "Scripted");
  void send_initial_message();
};

// A loopback port that nobody listens on (it was free a moment ago).
std::uint16_t unused_port();

// DM bodies on the wire: big-endian 16-bit tokens.
std::vector<std::uint8_t> wire_body(const TokenMessage& message);
TokenMessage message_from_wire(const std::vector<std::uint8_t>& body);

}  // namespace quorvel::testing
