#include "watch/watch_server.h"

namespace quorvel::watch {

struct WatchServer::Server {};

WatchServer::WatchServer(std::shared_ptr<const GameWatch> watch) : watch_(std::move(watch)) {}

WatchServer::~WatchServer() = default;

bool WatchServer::start(const std::string&, int, std::string& error) {
  error = "this build serves no pages (it was built without cpp-httplib)";
  return false;
}

int WatchServer::port() const {
  return 0;
}

void WatchServer::stop() {}

}  // namespace quorvel::watch
