#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/frame_reader.h"
#include "platform/os.h"
#include "server/game_session.h"

namespace quorvel::server {

// The server's connections: DAIDE framing over TCP, one poll loop, no threads. Each
// client's input is read and handled in bounded portions so that no client can hold up
// the others; a client that breaks the protocol gets the error message it earned and is
// closed.
class TcpServer : public SessionOutput {
 public:
  explicit TcpServer(const ServerOptions& options);
  ~TcpServer() override;
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // Listens on the options' port; false with the reason when it cannot.
  bool listen(std::string& error);
  std::uint16_t port() const { return port_; }
  // Serves until the game has ended and its last messages are out, or stop() is asked
  // (from a signal handler as well); each_turn runs after every turn of the loop (a tenth
  // of a second at most apart).
  void run(GameSession& session, const std::function<void()>& each_turn = {});
  // One turn of the loop: waits a tenth of a second at most for the sockets, handles what
  // came; false once the game has ended and its last messages are out.
  bool turn(GameSession& session);
  // Closes every connection that plays no power (a host's word, when no client is to come).
  void close_unseated(const GameSession& session);
  // Connections ended for breaking the protocol so far.
  int protocol_errors() const { return protocol_errors_; }
  static void request_stop();

  void send(int client, const TokenMessage& message) override;
  void close(int client) override;

 private:
  struct Connection {
    platform::os::Socket fd = platform::os::kNoSocket;
    std::string peer;
    platform::FrameReader in;
    std::vector<std::uint8_t> out;
    bool greeted = false;             // the IM has come
    bool closing = false;             // close once the output is out
    bool refused = false;             // it broke the protocol
    Clock::time_point since;          // connected
    Clock::time_point stalled_since;  // first byte of an incomplete message
  };

  void accept_clients();
  // Answers false when the connection must go.
  bool read_client(Connection& connection);
  bool handle_frames(int id, Connection& connection, GameSession& session);
  bool write_client(Connection& connection);
  void refuse(Connection& connection, std::uint16_t code);
  void drop(int id, GameSession& session);

  ServerOptions options_;
  platform::os::Socket listener_ = platform::os::kNoSocket;
  std::uint16_t port_ = 0;
  int next_id_ = 1;
  int protocol_errors_ = 0;
  std::optional<Clock::time_point> finished_at_;
  std::map<int, Connection> connections_;
};

}  // namespace quorvel::server
