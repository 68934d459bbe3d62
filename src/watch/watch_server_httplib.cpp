#include <httplib.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "watch/watch_server.h"

namespace quorvel::watch {

namespace {

// A thread for each connection, so that one that stalls (never sends, never reads) holds
// only its own thread, for the timeouts' few seconds, and every other watcher is served
// at once. Past a few thousand at once a connection waits its turn in the accepting thread.
// Its threads keep what they use alive (the server, through keep), so that stopping waits
// for none of them.
class ThreadPerConnection : public httplib::TaskQueue {
 public:
  explicit ThreadPerConnection(std::shared_ptr<void> keep) : keep_(std::move(keep)) {}

  void enqueue(std::function<void()> task) override {
    std::unique_lock<std::mutex> lock(count_->mutex);
    if (count_->running >= kMost) {
      lock.unlock();
      task();
      return;
    }
    ++count_->running;
    lock.unlock();
    // The count outlives the queue: a thread may still be leaving when the queue goes.
    std::thread([count = count_, keep = keep_, task = std::move(task)] {
      task();
      const std::lock_guard<std::mutex> done(count->mutex);
      if (--count->running == 0) count->idle.notify_all();
    }).detach();
  }
  void shutdown() override {
    std::unique_lock<std::mutex> lock(count_->mutex);
    count_->idle.wait_for(lock, std::chrono::seconds(1), [this] { return count_->running == 0; });
  }

 private:
  static constexpr int kMost = 4000;
  struct Count {
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
  };
  std::shared_ptr<Count> count_ = std::make_shared<Count>();
  std::shared_ptr<void> keep_;
};

}  // namespace

struct WatchServer::Server {
  httplib::Server http;
  std::thread thread;
  int port = 0;
};

WatchServer::WatchServer(std::shared_ptr<const GameWatch> watch) : watch_(std::move(watch)) {}

WatchServer::~WatchServer() {
  stop();
}

bool WatchServer::start(const std::string& address, int port, std::string& error) {
  stop();
  server_ = std::make_shared<Server>();
  httplib::Server& http = server_->http;
  // Nothing a watcher sends needs more than a line; nothing may hold a thread for long.
  http.set_payload_max_length(4096);
  http.set_read_timeout(3, 0);
  http.set_write_timeout(3, 0);
  http.set_keep_alive_max_count(50);
  http.set_keep_alive_timeout(3);
  // The library would share the port with any other server on it (SO_REUSEPORT): a port in
  // use is an error here. Its socket is kept, to widen its queue of connections below.
  int listening = -1;
  http.set_socket_options([&listening](socket_t socket) {
    int yes = 1;
    ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    listening = socket;
  });
  http.new_task_queue = [weak = std::weak_ptr<Server>(server_)] {
    return new ThreadPerConnection(weak.lock());
  };
  const std::shared_ptr<const GameWatch> watch = watch_;
  auto page = [watch](const httplib::Request&, httplib::Response& reply) {
    reply.set_header("Cache-Control", "no-store");
    reply.set_content(watch->page(), "text/html; charset=utf-8");
  };
  http.Get("/", page);
  http.Get("/game.html", page);
  http.Get("/game.json", [watch](const httplib::Request&, httplib::Response& reply) {
    reply.set_header("Cache-Control", "no-store");
    reply.set_content(watch->game_json(), "application/json");
  });
  http.Get("/view.json", [watch](const httplib::Request& request, httplib::Response& reply) {
    std::size_t from = 0;
    if (request.has_param("from")) {
      const std::string text = request.get_param_value("from");
      if (text.empty() || text.size() > 9 ||
          text.find_first_not_of("0123456789") != std::string::npos) {
        reply.status = 400;
        reply.set_content("from takes a number\n", "text/plain");
        return;
      }
      from = std::stoul(text);
    }
    reply.set_header("Cache-Control", "no-store");
    reply.set_content(watch->view_json(from), "application/json");
  });
  const bool bound = port == 0 ? (server_->port = http.bind_to_any_port(address)) > 0
                               : http.bind_to_port(address, server_->port = port);
  if (!bound) {
    error = "cannot listen on " + address + " port " + std::to_string(port);
    server_.reset();
    return false;
  }
  // The library listens with a queue of five: a burst of connections that never speak would
  // leave everybody else's connection waiting for the system's retries.
  if (listening >= 0) ::listen(listening, SOMAXCONN);
  server_->thread = std::thread([server = server_.get()] { server->http.listen_after_bind(); });
  // Stopping works on a server that runs: one stopped before it ran would run on.
  while (!server_->http.is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

int WatchServer::port() const {
  return server_ ? server_->port : 0;
}

void WatchServer::stop() {
  if (!server_) return;
  server_->http.stop();
  if (server_->thread.joinable()) server_->thread.join();
  server_.reset();
}

}  // namespace quorvel::watch
