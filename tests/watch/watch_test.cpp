#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "savedgame/known_maps.h"
#include "savedgame/saved_game_json.h"
#include "support/house_game.h"
#include "watch/game_watch.h"
#include "watch/watch_server.h"

namespace quorvel::watch {
namespace {

using Json = nlohmann::json;

// A game of negotiating house players on the standard map, each change published as the
// server publishes it; `during` runs at each change.
void play_watched(GameWatch& watch, const std::function<void()>& during = {}) {
  const std::optional<rules::MapFile> map = savedgame::known_map("standard");
  ASSERT_TRUE(map);
  server::ServerOptions options;
  options.last_year = 1903;
  options.seed = 4;
  options.opponents = opponents::OpponentKind::kHonest;
  options.variant.level = 20;
  testing::play_house_game(
      *map, options, "watched", {},
      [&](const server::GameSession& session, const savedgame::SavedGame& game) {
        watch.publish(game, session.finished());
        if (during) during();
      });
}

int press_in(const Json& view) {
  int press = 0;
  for (const Json& phase : view["phases"])
    press += static_cast<int>(phase["m"].size()) + !phase["note"].get<std::string>().empty();
  return press;
}

TEST(GameWatch, WatchersSeeNoPressUntilTheGameHasEnded) {
  GameWatch watch(*savedgame::known_map("standard"));
  EXPECT_EQ(Json::parse(watch.view_json(0))["phases"].size(), 0u);
  std::size_t seen = 0;
  play_watched(watch, [&] {
    const Json view = Json::parse(watch.view_json(0));
    if (view["finished"]) return;
    EXPECT_EQ(press_in(view), 0);
    EXPECT_GT(view["phases"].size(), seen);
    seen = view["phases"].size();
    // The game so far reads as a saved game, without its press.
    const savedgame::SavedGameReading reading =
        savedgame::read_saved_game_text(watch.game_json(), "live");
    ASSERT_TRUE(reading.game) << reading.error;
    EXPECT_EQ(reading.game->phases.size(), seen);
    for (const auto& phase : reading.game->phases)
      EXPECT_TRUE(phase.messages.empty());
    // A page that has all but the last phase asks from there and gets the last one anew.
    const Json tail = Json::parse(watch.view_json(seen - 1));
    EXPECT_EQ(tail["from"], seen - 1);
    EXPECT_EQ(tail["phases"].size(), 1u);
  });
  EXPECT_GT(seen, 8u);
  const Json ended = Json::parse(watch.view_json(seen));
  EXPECT_TRUE(ended["finished"]);
  EXPECT_EQ(ended["from"], 0);
  EXPECT_GT(press_in(ended), 0);
  EXPECT_TRUE(watch.end_seen());
  EXPECT_NE(watch.page().find("game-data"), std::string::npos);
}

TEST(WatchAddress, ReadsAPortAndAnAddress) {
  std::string address;
  int port = -1;
  EXPECT_TRUE(read_watch_address("8080", address, port));
  EXPECT_EQ(address, "127.0.0.1");
  EXPECT_EQ(port, 8080);
  EXPECT_TRUE(read_watch_address("0.0.0.0:0", address, port));
  EXPECT_EQ(address, "0.0.0.0");
  EXPECT_EQ(port, 0);
  EXPECT_TRUE(read_watch_address("[::1]:9000", address, port));
  EXPECT_EQ(address, "::1");
  for (const char* bad : {"", "x", ":80", "host:", "70000", "host:-1", "1:2:x"})
    EXPECT_FALSE(read_watch_address(bad, address, port)) << bad;
}

// A socket to the server that says nothing, or asks and never reads the answer.
int raw_connection(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST(WatchServer, ServesThePageAndTheGameWhateverElseConnects) {
  const auto shared = std::make_shared<GameWatch>(*savedgame::known_map("standard"));
  GameWatch& watch = *shared;
  WatchServer server(shared);
  std::string error;
  ASSERT_TRUE(server.start("127.0.0.1", 0, error)) << error;
  const int port = server.port();
  ASSERT_GT(port, 0);

  // A thousand connections that never send, one that asks and never reads, garbage. Both
  // ends of each are in this process: as many as its files allow.
  rlimit files{};
  ::getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = files.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &files);
  const int most = static_cast<int>(std::min<rlim_t>(1000, (files.rlim_cur - 200) / 2));
  std::vector<int> idle;
  for (int i = 0; i < most; ++i) {
    const int fd = raw_connection(port);
    if (fd >= 0) idle.push_back(fd);
  }
  const int greedy = raw_connection(port);
  ASSERT_GE(greedy, 0);
  int small = 1;
  ::setsockopt(greedy, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
  const std::string ask = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
  for (int i = 0; i < 50; ++i)
    ASSERT_GT(::send(greedy, ask.data(), ask.size(), MSG_NOSIGNAL), 0);
  const int garbage = raw_connection(port);
  const std::string junk = "\x01\x02 nonsense\r\n\r\nGET /../../etc/passwd HTTP/9\r\n\r\n";
  ::send(garbage, junk.data(), junk.size(), MSG_NOSIGNAL);

  // The game is published through all of it, and watchers are served.
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(10, 0);
  play_watched(watch);
  auto page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("game-data"), std::string::npos);
  auto view = client.Get("/view.json?from=2");
  ASSERT_TRUE(view);
  EXPECT_TRUE(Json::parse(view->body)["finished"]);
  auto game = client.Get("/game.json");
  ASSERT_TRUE(game);
  EXPECT_TRUE(savedgame::read_saved_game_text(game->body, "served").game);
  auto bad = client.Get("/view.json?from=abc");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->status, 400);
  auto none = client.Get("/secret");
  ASSERT_TRUE(none);
  EXPECT_EQ(none->status, 404);

  for (int fd : idle)
    ::close(fd);
  ::close(greedy);
  ::close(garbage);
  server.stop();
  EXPECT_EQ(server.port(), 0);
}

TEST(WatchServer, APortInUseIsSaid) {
  const auto watch = std::make_shared<GameWatch>(*savedgame::known_map("standard"));
  WatchServer first(watch);
  std::string error;
  ASSERT_TRUE(first.start("127.0.0.1", 0, error));
  WatchServer second(watch);
  EXPECT_FALSE(second.start("127.0.0.1", first.port(), error));
  EXPECT_NE(error.find("cannot listen"), std::string::npos);
}

}  // namespace
}  // namespace quorvel::watch
