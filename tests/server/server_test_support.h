#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/messages.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"

namespace quorvel::testing {

// The real quorvel-server in a directory of its own, on a free port.
class ServerUnderTest {
 public:
  explicit ServerUnderTest(const std::vector<std::string>& options) {
    std::vector<std::string> args = options;
    args.push_back("-p0");
    args.push_back("-g" + (dir / "game.txt").string());
    process.emplace(QUORVEL_SERVER_BINARY, args, dir.path());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (port == 0 && std::chrono::steady_clock::now() < deadline) {
      const std::string out = read_file(dir / "stdout.txt");
      const auto at = out.find("listening on port ");
      if (at != std::string::npos && out.find('\n', at) != std::string::npos) {
        port = static_cast<std::uint16_t>(std::stoi(out.substr(at + 18)));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
  }

  std::string record() const { return read_file(dir / "game.txt"); }
  std::string output() const { return read_file(dir / "stdout.txt"); }

  TempDir dir;
  std::optional<ChildProcess> process;
  std::uint16_t port = 0;
};

// Reads messages until one starts with the token; an empty message when none comes.
inline TokenMessage read_until(ScriptedPeer& peer, Token first, int timeout_ms = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (std::chrono::steady_clock::now() < deadline) {
    const TokenMessage message = peer.read_message(timeout_ms);
    if (message.is_empty()) break;
    if (message.first_token() == first) return message;
  }
  return TokenMessage();
}

}  // namespace quorvel::testing
