#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

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
  // (from a signal handler as well).
  void run(GameSession& session);
  static void request_stop();

  void send(int client, const TokenMessage& message) override;
  void close(int client) override;

 private:
  struct Connection {
    platform::os::Socket fd = platform::os::kNoSocket;
    std::string peer;
    std::vector<std::uint8_t> in;
    std::vector<std::uint8_t> out;
    bool greeted = false;             // the IM has come
    bool closing = false;             // close once the output is out
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
  std::map<int, Connection> connections_;
};

}  // namespace quorvel::server
