#include "arena/in_process_seats.h"

namespace quorvel::arena {

namespace {

// The tokens of a message as the link hands them to a bot: host order, no end marker.
std::vector<std::uint16_t> body_of(const TokenMessage& message) {
  std::vector<std::uint16_t> body(static_cast<std::size_t>(message.length()));
  for (int i = 0; i < message.length(); ++i)
    body[static_cast<std::size_t>(i)] = message.token_at(i).value();
  return body;
}

std::uint64_t player_seed(std::uint64_t game_seed, int power) {
  return game_seed * 8 + static_cast<std::uint64_t>(power) + 1;
}

}  // namespace

// A Quorvel's messages go straight to the session.
class InProcessSeats::Link : public MessageSink {
 public:
  Link(server::GameSession& session, int client, bool real_time)
      : session_(session), client_(client), real_time_(real_time) {}
  void deliver(const TokenMessage& message) override {
    session_.on_message(client_, message,
                        real_time_ ? server::Clock::now() : server::Clock::time_point());
  }

 private:
  server::GameSession& session_;
  int client_;
  bool real_time_;
};

InProcessSeats::InProcessSeats(int powers, bool real_time)
    : real_time_(real_time),
      bots_(static_cast<std::size_t>(powers)),
      links_(static_cast<std::size_t>(powers)) {}

InProcessSeats::~InProcessSeats() = default;

void InProcessSeats::join(int power, const ArenaPlayer& player, std::uint64_t game_seed) {
  PlayerSetup setup;
  setup.seed = player_seed(game_seed, power);
  setup.settings = player.settings;
  setup.process_bot = false;
  auto& bot = bots_[static_cast<std::size_t>(power)];
  bot = std::make_unique<StrategyBot>(setup);
  const int client = kClientBase + power;
  links_[static_cast<std::size_t>(power)] = std::make_unique<Link>(*session_, client, real_time_);
  session_->seat_next_join(power);
  session_->on_connect(client, "arena");
  bot->ConnectInProcess(*links_[static_cast<std::size_t>(power)]);
  bot->SendInitialMessage();
}

void InProcessSeats::send(int client, const TokenMessage& message) {
  pending_.emplace_back(client, message);
}

void InProcessSeats::deliver() {
  while (!pending_.empty()) {
    auto [client, message] = std::move(pending_.front());
    pending_.pop_front();
    const auto power = static_cast<std::size_t>(client - kClientBase);
    StrategyBot* bot = power < bots_.size() ? bots_[power].get() : nullptr;
    if (bot == nullptr) continue;
    const std::vector<std::uint16_t> body = body_of(message);
    bot->DispatchMessage(reinterpret_cast<const std::uint8_t*>(body.data()),
                         static_cast<std::uint32_t>(2 * body.size()));
  }
}

void InProcessSeats::press_wait_over() {
  for (auto& bot : bots_) {
    if (bot != nullptr) bot->PressWaitOver();
  }
}

}  // namespace quorvel::arena
