#include "support/scripted_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/daide_framing.h"
#include "protocol/tokens.h"
#include "support/messages.h"

namespace quorvel::testing {

std::vector<std::uint8_t> wire_body(const TokenMessage& message) {
  std::vector<std::uint8_t> body;
  for (int i = 0; i < message.length(); ++i) {
    const std::uint16_t value = message.token_at(i).value();
    body.push_back(static_cast<std::uint8_t>(value >> 8));
    body.push_back(static_cast<std::uint8_t>(value & 0xFF));
  }
  return body;
}

TokenMessage message_from_wire(const std::vector<std::uint8_t>& body) {
  std::vector<std::uint16_t> words;
  for (std::size_t i = 0; i + 1 < body.size(); i += 2) {
    words.push_back(platform::read_big_endian(&body[i]));
  }
  TokenMessage message;
  message.set_from_words(words.data(), static_cast<int>(words.size()));
  return message;
}

std::uint16_t unused_port() {
  const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  ::close(probe);
  return ntohs(address.sin_port);
}

ScriptedServer::ScriptedServer() {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  const int on = 1;
  ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 4) != 0) {
    ADD_FAILURE() << "cannot listen on the loopback interface";
    return;
  }
  socklen_t size = sizeof address;
  ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
}

ScriptedPeer::~ScriptedPeer() {
  if (client_ >= 0) ::close(client_);
}

ScriptedServer::~ScriptedServer() {
  if (listener_ >= 0) ::close(listener_);
}

bool ScriptedClient::connect(std::uint16_t port, bool greet) {
  client_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::connect(client_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
  if (!greet) return true;
  send_initial_message();
  const auto rm = read_frame();
  return rm && rm->type == platform::kRepresentationMessage && rm->body.empty();
}

void ScriptedClient::send_initial_message() {
  send_frame(platform::kInitialMessage, platform::initial_message_body());
}

bool ScriptedClient::join(const std::string& name) {
  send_text("NME ( '" + name + "' ) ( '1' )");
  if (read_message().first_token() != tok::YES) return false;
  if (read_message().first_token() != tok::MAP) return false;
  send_text("MDF");
  if (read_message().first_token() != tok::MDF) return false;
  send_text("YES ( MAP ( 'standard' ) )");
  return true;
}

bool ScriptedServer::accept(int timeout_ms) {
  pollfd wait{listener_, POLLIN, 0};
  if (::poll(&wait, 1, timeout_ms) <= 0) return false;
  client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
  return client_ >= 0;
}

bool ScriptedPeer::read_exact(std::uint8_t* out, std::size_t size, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::size_t got = 0;
  while (got < size) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    pollfd wait{client_, POLLIN, 0};
    if (::poll(&wait, 1, static_cast<int>(left)) <= 0) return false;
    const ssize_t n = ::recv(client_, out + got, size - got, 0);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<ScriptedPeer::Frame> ScriptedPeer::read_frame(int timeout_ms) {
  if (client_ < 0) return std::nullopt;
  std::uint8_t header[4];
  if (!read_exact(header, 4, timeout_ms)) return std::nullopt;
  Frame frame;
  frame.type = header[0];
  frame.body.resize(platform::read_big_endian(&header[2]));
  if (!frame.body.empty() && !read_exact(frame.body.data(), frame.body.size(), timeout_ms)) {
    return std::nullopt;
  }
  return frame;
}

bool ScriptedPeer::expect_initial_message() {
  const auto frame = read_frame();
  return frame && frame->type == platform::kInitialMessage &&
         frame->body == platform::initial_message_body();
}

TokenMessage ScriptedPeer::read_message(int timeout_ms) {
  const auto frame = read_frame(timeout_ms);
  if (!frame || frame->type != platform::kDiplomacyMessage) return TokenMessage();
  return message_from_wire(frame->body);
}

bool ScriptedPeer::quiet_for(int timeout_ms) {
  pollfd wait{client_, POLLIN, 0};
  return ::poll(&wait, 1, timeout_ms) == 0;
}

bool ScriptedPeer::client_closes(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::uint8_t buffer[4096];
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd wait{client_, POLLIN, 0};
    if (::poll(&wait, 1, 50) <= 0) continue;
    const ssize_t n = ::recv(client_, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EINTR)) return true;
  }
  return false;
}

void ScriptedPeer::send_raw(const std::vector<std::uint8_t>& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(client_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

void ScriptedPeer::send_frame(int type, const std::vector<std::uint8_t>& body) {
  send_raw(platform::encode_frame(static_cast<platform::MessageType>(type), body));
}

void ScriptedPeer::send_representation(const std::vector<std::uint8_t>& body) {
  send_frame(platform::kRepresentationMessage, body);
}

void ScriptedPeer::send_message(const TokenMessage& message) {
  send_frame(platform::kDiplomacyMessage, wire_body(message));
}

void ScriptedPeer::send_text(const std::string& text) {
  send_message(parse(text));
}

void ScriptedPeer::close_client() {
  if (client_ >= 0) ::close(client_);
  client_ = -1;
}

}  // namespace quorvel::testing
