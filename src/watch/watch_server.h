#pragma once

#include <memory>
#include <string>

#include "watch/game_watch.h"

namespace quorvel::watch {

// Serves a game over HTTP while it runs, in threads of its own: "/" the live page,
// "/game.json" the game so far, "/view.json?from=N" the page's phases. A slow or hostile
// connection holds one of its threads for a few seconds at most and never the game;
// stopping waits for none of them.
class WatchServer {
 public:
  explicit WatchServer(std::shared_ptr<const GameWatch> watch);
  ~WatchServer();
  WatchServer(const WatchServer&) = delete;
  WatchServer& operator=(const WatchServer&) = delete;

  // Listens on the address (a numeric one or a host name) and port (0: a free one); false
  // and why in error when it cannot. Builds without an HTTP library always say so.
  bool start(const std::string& address, int port, std::string& error);
  int port() const;
  void stop();

 private:
  struct Server;
  std::shared_ptr<const GameWatch> watch_;
  std::shared_ptr<Server> server_;  // shared with connections still being served
};

// "-w8080", "-w0.0.0.0:8080", "-w[::1]:8080": the address (the loopback one when none is
// given) and the port; false when it does not read.
bool read_watch_address(const std::string& text, std::string& address, int& port);

}  // namespace quorvel::watch
