#include "support/scripted_server.h"

#include <chrono>

#include "platform/daide_framing.h"
#include "platform/os.h"
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

namespace os = platform::os;

namespace {

bool wait_readable(os::Socket socket, int timeout_ms) {
  os::SocketWait wait;
  wait.socket = socket;
  wait.read = true;
  return os::wait_sockets({&wait, 1}, timeout_ms) > 0 && wait.readable;
}

}  // namespace

std::uint16_t unused_port() {
  std::string error;
  const os::Socket probe = os::listen_on(os::loopback_address(0), 1, error);
  const std::uint16_t port = os::local_port(probe);
  os::close_socket(probe);
  return port;
}

ScriptedServer::ScriptedServer() {
  std::string error;
  listener_ = os::listen_on(os::loopback_address(0), 4, error);
  if (listener_ == os::kNoSocket) {
    ADD_FAILURE() << "cannot listen on the loopback interface: " << error;
    return;
  }
  port_ = os::local_port(listener_);
}

ScriptedPeer::~ScriptedPeer() {
  os::close_socket(client_);
}

ScriptedServer::~ScriptedServer() {
  os::close_socket(listener_);
}

bool ScriptedClient::connect(std::uint16_t port, bool greet) {
  const os::SocketAddress address = os::loopback_address(port);
  client_ = os::open_stream_socket(address);
  int error = 0;
  if (client_ == os::kNoSocket || os::connect_socket(client_, address, 5000, os::kNoSocket,
                                                     error) != os::ConnectOutcome::kConnected) {
    return false;
  }
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
  if (!wait_readable(listener_, timeout_ms)) return false;
  client_ = os::accept_connection(listener_, nullptr);
  return client_ != os::kNoSocket;
}

bool ScriptedPeer::read_exact(std::uint8_t* out, std::size_t size, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::size_t got = 0;
  while (got < size) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return false;
    if (!wait_readable(client_, static_cast<int>(left))) return false;
    const long n = os::receive_bytes(client_, out + got, size - got);
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

std::optional<ScriptedPeer::Frame> ScriptedPeer::read_frame(int timeout_ms) {
  if (client_ == os::kNoSocket) return std::nullopt;
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
  return !wait_readable(client_, timeout_ms);
}

bool ScriptedPeer::client_closes(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  std::uint8_t buffer[4096];
  while (std::chrono::steady_clock::now() < deadline) {
    if (!wait_readable(client_, 50)) continue;
    const long n = os::receive_bytes(client_, buffer, sizeof buffer);
    if (n <= 0) return true;
  }
  return false;
}

void ScriptedPeer::send_raw(const std::vector<std::uint8_t>& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const long n = os::send_bytes(client_, bytes.data() + sent, bytes.size() - sent);
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
  os::close_socket(client_);
  client_ = os::kNoSocket;
}

}  // namespace quorvel::testing
