#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "arena/arena_player.h"
#include "protocol/token_message.h"
#include "server/game_session.h"
#include "shell/strategy_bot.h"

namespace quorvel::arena {

// The Quorvels a game plays in this process: each is a client of the session whose
// messages go straight to it and whose answers wait in a mailbox until deliver().
class InProcessSeats : public server::SessionOutput {
 public:
  // Client numbers of in-process seats: base + power, clear of a TCP server's.
  static constexpr int kClientBase = 1 << 24;

  // real_time: the session has time limits, so its clients' messages carry the time they
  // are sent; else none (the same game whatever the machine's speed).
  InProcessSeats(int powers, bool real_time);
  ~InProcessSeats() override;
  // The session they play in, which sends to them through this.
  void attach(server::GameSession& session) { session_ = &session; }

  // A Quorvel of the player takes the power's seat and joins; its seed follows from the
  // game's.
  void join(int power, const ArenaPlayer& player, std::uint64_t game_seed);
  // Hands every waiting message to its Quorvel, and what they answer in turn.
  void deliver();
  // Their time to wait for press answers is over.
  void press_wait_over();
  const StrategyBot* bot(int power) const { return bots_[static_cast<std::size_t>(power)].get(); }

  static bool in_process(int client) { return client >= kClientBase; }
  void send(int client, const TokenMessage& message) override;
  void close(int) override {}

 private:
  class Link;
  server::GameSession* session_ = nullptr;
  bool real_time_;
  std::vector<std::unique_ptr<StrategyBot>> bots_;
  std::vector<std::unique_ptr<Link>> links_;
  std::deque<std::pair<int, TokenMessage>> pending_;
};

}  // namespace quorvel::arena
