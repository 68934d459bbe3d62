// The game session in this process, through its output seam: what a server answers and
// when it processes, without sockets or a clock.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "protocol/tokens.h"
#include "rules/standard_map.h"
#include "server/game_session.h"
#include "support/messages.h"
#include "support/temp_dir.h"

namespace quorvel::testing {

class Outbox : public server::SessionOutput {
 public:
  void send(int client, const TokenMessage& message) override { sent[client].push_back(message); }
  void close(int client) override { closed.insert(client); }

  // The next message to the client that starts with the token, dropping those before it;
  // empty when none was sent.
  TokenMessage until(int client, Token first) {
    auto& queue = sent[client];
    while (!queue.empty()) {
      const TokenMessage message = queue.front();
      queue.pop_front();
      if (message.first_token() == first) return message;
    }
    return TokenMessage();
  }
  TokenMessage next(int client) { return until_any(client); }

  std::map<int, std::deque<TokenMessage>> sent;
  std::set<int> closed;

 private:
  TokenMessage until_any(int client) {
    auto& queue = sent[client];
    if (queue.empty()) return TokenMessage();
    const TokenMessage message = queue.front();
    queue.pop_front();
    return message;
  }
};

// The units of a power as a NOW lists them, each ordered to hold.
inline TokenMessage hold_all(const TokenMessage& now, Token power) {
  TokenMessage sub(tok::SUB);
  for (int i = 2; i < now.sub_message_count(); ++i) {
    const TokenMessage unit = now.sub_message(i);
    if (unit.first_token() == power && unit.sub_message_count() == 3)
      sub = sub & (unit.enclose() + tok::HLD);
  }
  return sub;
}

class Session : public ::testing::Test {
 protected:
  // The server's flags that matter here; a game from the start position unless another
  // NOW and SCO are given.
  void start(std::initializer_list<std::string> flags,
             const std::string& now_text = std::string(rules::standard_start_now()),
             const std::string& sco_text = std::string(rules::standard_start_sco())) {
    const server::ParsedOptions parsed =
        server::parse_server_options(std::vector<std::string>(flags));
    ASSERT_TRUE(parsed.errors.empty());
    options = parsed.options;
    options.seed = 7;
    record = std::make_unique<server::GameRecord>((dir / "game.txt").string());
    session = std::make_unique<server::GameSession>(options, out, *record, progress);
    ASSERT_EQ(session->load(standard_map_message(), parse(now_text), parse(sco_text)), -1);
  }
  void say(int client, const std::string& text) { session->on_message(client, parse(text), now); }
  void say(int client, const TokenMessage& message) { session->on_message(client, message, now); }
  // Connects and joins as a player that accepts the map.
  void join(int client, const std::string& name = "Scripted") {
    session->on_connect(client, "test");
    say(client, "NME ( '" + name + "' ) ( '1' )");
    say(client, "YES ( MAP ( 'standard' ) )");
  }

  server::ServerOptions options;
  Outbox out;
  std::string record_text() const { return read_file(dir / "game.txt"); }

  TempDir dir;
  std::unique_ptr<server::GameRecord> record;
  using Clock = server::Clock;
  std::ostringstream progress;
  std::unique_ptr<server::GameSession> session;
  Clock::time_point now = Clock::time_point() + std::chrono::hours(1);
};

}  // namespace quorvel::testing
