#include "server/tcp_server.h"

#include <atomic>

#include "platform/daide_framing.h"

namespace quorvel::server {

namespace {

using namespace platform;

std::atomic<bool> stop_requested{false};

// No client gets more of the loop than this in one turn.
constexpr std::size_t kReadChunk = 65536;
constexpr int kMessagesPerTurn = 256;
// A client that does not read what it is sent is broken.
constexpr std::size_t kMaxBacklog = 16u << 20;
constexpr auto kFinishGrace = std::chrono::seconds(2);
// Also the queue of connections waiting to be accepted: a burst of connections must not
// leave a player's connection to the system's retries.
constexpr int kMaxConnections = 256;

}  // namespace

TcpServer::TcpServer(const ServerOptions& options) : options_(options) {}

TcpServer::~TcpServer() {
  for (auto& [id, connection] : connections_)
    os::close_socket(connection.fd);
  os::close_socket(listener_);
}

void TcpServer::request_stop() {
  stop_requested.store(true);
}

bool TcpServer::listen(std::string& error) {
  const auto port = static_cast<std::uint16_t>(options_.port);
  if (options_.loopback_only) {
    listener_ = os::listen_on(os::loopback_address(port), kMaxConnections, error);
  } else {
    listener_ = os::listen_on(os::any_address(port, true), kMaxConnections, error);
    // No IPv6 here: IPv4 alone.
    if (listener_ == os::kNoSocket)
      listener_ = os::listen_on(os::any_address(port, false), kMaxConnections, error);
  }
  if (listener_ == os::kNoSocket) return false;
  os::set_blocking(listener_, false);
  port_ = os::local_port(listener_);
  return true;
}

void TcpServer::send(int client, const TokenMessage& message) {
  const auto found = connections_.find(client);
  if (found == connections_.end() || found->second.closing) return;
  std::vector<std::uint8_t> body(2 * static_cast<std::size_t>(std::max(message.length(), 0)));
  for (int i = 0; i < message.length(); ++i)
    write_big_endian(message.token_at(i).value(), &body[2 * static_cast<std::size_t>(i)]);
  if (body.size() > kMaxBodyBytes) return;
  const std::vector<std::uint8_t> frame = encode_frame(kDiplomacyMessage, body);
  Connection& connection = found->second;
  connection.out.insert(connection.out.end(), frame.begin(), frame.end());
}

void TcpServer::close(int client) {
  const auto found = connections_.find(client);
  if (found != connections_.end()) found->second.closing = true;
}

void TcpServer::close_unseated(const GameSession& session) {
  for (auto& [id, connection] : connections_) {
    if (!session.seated(id)) connection.closing = true;
  }
}

void TcpServer::refuse(Connection& connection, std::uint16_t code) {
  const auto frame = encode_frame(kErrorMessage, error_message_body(static_cast<ErrorCode>(code)));
  connection.out.insert(connection.out.end(), frame.begin(), frame.end());
  connection.closing = true;
  connection.refused = true;
  ++protocol_errors_;
}

void TcpServer::accept_clients() {
  while (true) {
    std::string host;
    const os::Socket fd = os::accept_connection(listener_, &host);
    if (fd == os::kNoSocket) return;
    if (connections_.size() >= static_cast<std::size_t>(kMaxConnections)) {
      os::close_socket(fd);
      continue;
    }
    os::set_blocking(fd, false);
    os::set_no_delay(fd);
    Connection connection;
    connection.fd = fd;
    connection.peer = host;
    connection.since = Clock::now();
    connections_[next_id_++] = std::move(connection);
  }
}

bool TcpServer::read_client(Connection& connection) {
  std::uint8_t chunk[kReadChunk];
  const long n = os::receive_bytes(connection.fd, chunk, sizeof chunk);
  if (n == 0) return false;
  if (n < 0) return os::is_transient(os::last_socket_error());
  if (connection.in.buffered() == 0) connection.stalled_since = Clock::now();
  connection.in.append(chunk, static_cast<std::size_t>(n));
  return true;
}

bool TcpServer::handle_frames(int id, Connection& connection, GameSession& session) {
  // Left for the next turn when the client sent more than its share.
  bool more = false;
  int handled = 0;
  bool open = true;
  auto& in = connection.in;
  while (open && !connection.closing) {
    // The header alone decides whether the client is refused: no waiting for a body.
    const std::optional<std::uint8_t> next_type = in.next_type();
    if (!next_type) break;
    if (handled == kMessagesPerTurn) {
      more = true;
      break;
    }
    if (*next_type > kErrorMessage) {
      refuse(connection, kUnknownMessageType);
      break;
    }
    if (!connection.greeted && *next_type != kInitialMessage) {
      refuse(connection, kImNotFirst);
      break;
    }
    FrameReader::Frame frame;
    if (in.next(frame) != FrameReader::Status::kFrame) break;
    const std::uint8_t type = frame.type;
    const std::size_t size = frame.size;
    const std::uint8_t* body = frame.body;
    ++handled;
    connection.stalled_since = Clock::now();
    switch (type) {
      case kInitialMessage: {
        if (connection.greeted) {
          refuse(connection, kImRepeated);
          break;
        }
        const std::uint16_t version = size == 4 ? read_big_endian(body) : 0;
        const std::uint16_t magic = size == 4 ? read_big_endian(body + 2) : 0;
        if (size != 4) {
          refuse(connection, kMessageTooShort);
        } else if (magic == 0x10DA && version == 0x0100) {
          refuse(connection, kImWrongEndian);
        } else if (magic != kMagicNumber) {
          refuse(connection, kImWrongMagic);
        } else if (version != kProtocolVersion) {
          refuse(connection, kVersionIncompatible);
        } else {
          connection.greeted = true;
          const auto rm = encode_frame(kRepresentationMessage, {});
          connection.out.insert(connection.out.end(), rm.begin(), rm.end());
          session.on_connect(id, connection.peer);
        }
        break;
      }
      case kRepresentationMessage:
        refuse(connection, kRmFromClient);
        break;
      case kDiplomacyMessage: {
        if (size % 2 != 0) {
          refuse(connection, kMessageTooShort);
          break;
        }
        std::vector<std::uint16_t> words(size / 2);
        for (std::size_t i = 0; i < words.size(); ++i)
          words[i] = read_big_endian(body + 2 * i);
        TokenMessage message;
        if (message.set_from_words(words.data(), static_cast<int>(words.size())) == -1) {
          session.on_message(id, message, Clock::now());
        } else {
          session.on_unbalanced(id, std::vector<Token>(words.begin(), words.end()));
        }
        break;
      }
      default:
        // A final or error message: the client is leaving.
        open = false;
        break;
    }
  }
  if (!open) return false;
  const Clock::time_point now = Clock::now();
  if (!connection.greeted && !connection.closing &&
      now - connection.since > std::chrono::seconds(options_.im_seconds)) {
    refuse(connection, kImTimerPopped);
  } else if (in.buffered() > 0 && !connection.closing && !more &&
             now - connection.stalled_since > std::chrono::seconds(options_.im_seconds)) {
    refuse(connection, kMessageTooShort);
  }
  if (connection.closing && connection.greeted) {
    if (connection.refused) session.on_protocol_error(id);
    session.on_disconnect(id, Clock::now());
  }
  return true;
}

bool TcpServer::write_client(Connection& connection) {
  while (!connection.out.empty()) {
    const long n = os::send_bytes(connection.fd, connection.out.data(), connection.out.size());
    if (n < 0) return os::is_transient(os::last_socket_error());
    connection.out.erase(connection.out.begin(), connection.out.begin() + n);
  }
  return true;
}

void TcpServer::drop(int id, GameSession& session) {
  const auto found = connections_.find(id);
  if (found == connections_.end()) return;
  const bool greeted = found->second.greeted && !found->second.closing;
  os::close_socket(found->second.fd);
  connections_.erase(found);
  if (greeted) session.on_disconnect(id, Clock::now());
}

void TcpServer::run(GameSession& session, const std::function<void()>& each_turn) {
  while (turn(session)) {
    if (each_turn) each_turn();
  }
}

bool TcpServer::turn(GameSession& session) {
  if (stop_requested.load()) session.shut_down();
  if (session.finished() && !finished_at_) finished_at_ = Clock::now();
  if (finished_at_) {
    bool flushed = true;
    for (const auto& [id, connection] : connections_)
      flushed = flushed && connection.out.empty();
    if ((flushed && connections_.empty()) || Clock::now() - *finished_at_ > kFinishGrace)
      return false;
  }

  std::vector<os::SocketWait> waits;
  std::vector<int> ids;
  if (!finished_at_) waits.push_back({listener_, true});
  bool busy = false;
  for (const auto& [id, connection] : connections_) {
    waits.push_back({connection.fd, !connection.closing, !connection.out.empty()});
    ids.push_back(id);
    busy = busy || (!connection.closing && connection.in.next_type().has_value());
  }
  int timeout = busy ? 0 : 100;
  if (const auto deadline = session.next_deadline()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    timeout = std::min<int>(timeout, static_cast<int>(std::max<long long>(left, 0)));
  }
  os::wait_sockets(waits, timeout);

  std::size_t first = 0;
  if (!finished_at_) {
    if (waits[0].readable) accept_clients();
    first = 1;
  }
  std::vector<int> gone;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const int id = ids[i];
    Connection& connection = connections_.at(id);
    if (waits[first + i].readable && !connection.closing && !read_client(connection)) {
      gone.push_back(id);
      continue;
    }
    if (!handle_frames(id, connection, session)) gone.push_back(id);
  }
  for (int id : gone)
    drop(id, session);
  session.tick(Clock::now());

  std::vector<int> closed;
  for (auto& [id, connection] : connections_) {
    if (connection.out.size() > kMaxBacklog || !write_client(connection)) {
      closed.push_back(id);
    } else if (connection.closing && connection.out.empty()) {
      closed.push_back(id);
    }
  }
  for (int id : closed) {
    const auto found = connections_.find(id);
    const bool tell = found->second.greeted && !found->second.closing;
    os::close_socket(found->second.fd);
    connections_.erase(found);
    if (tell) session.on_disconnect(id, Clock::now());
  }
  return true;
}

}  // namespace quorvel::server
