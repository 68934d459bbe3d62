#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os.h"

namespace quorvel::platform::os {

namespace {

int fd_of(Socket socket) {
  return static_cast<int>(socket);
}

sockaddr_storage& storage_of(SocketAddress& address) {
  static_assert(sizeof(SocketAddress::bytes) >= sizeof(sockaddr_storage));
  return *reinterpret_cast<sockaddr_storage*>(address.bytes);
}

const sockaddr* sockaddr_of(const SocketAddress& address) {
  return reinterpret_cast<const sockaddr*>(address.bytes);
}

int family_of(const SocketAddress& address) {
  return sockaddr_of(address)->sa_family;
}

SocketAddress from_parts(int family, const void* host, std::uint16_t port) {
  SocketAddress address;
  if (family == AF_INET6) {
    auto& in6 = reinterpret_cast<sockaddr_in6&>(storage_of(address));
    in6.sin6_family = AF_INET6;
    if (host != nullptr) std::memcpy(&in6.sin6_addr, host, sizeof in6.sin6_addr);
    in6.sin6_port = htons(port);
    address.length = sizeof(sockaddr_in6);
  } else {
    auto& in4 = reinterpret_cast<sockaddr_in&>(storage_of(address));
    in4.sin_family = AF_INET;
    if (host != nullptr) std::memcpy(&in4.sin_addr, host, sizeof in4.sin_addr);
    in4.sin_port = htons(port);
    address.length = sizeof(sockaddr_in);
  }
  return address;
}

}  // namespace

int last_socket_error() {
  return errno;
}

std::string error_text(int code) {
  return std::strerror(code);
}

int connection_refused_error() {
  return ECONNREFUSED;
}

int timed_out_error() {
  return ETIMEDOUT;
}

int no_address_error() {
  return EDESTADDRREQ;
}

int io_error() {
  return EIO;
}

std::vector<SocketAddress> resolve_host(const std::string& name, std::uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* results = nullptr;
  std::vector<SocketAddress> found;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &results) != 0) return found;
  for (addrinfo* r = results; r != nullptr; r = r->ai_next) {
    if (r->ai_family == AF_INET6) {
      found.push_back(from_parts(
          AF_INET6, &reinterpret_cast<const sockaddr_in6*>(r->ai_addr)->sin6_addr, port));
    } else if (r->ai_family == AF_INET) {
      found.push_back(
          from_parts(AF_INET, &reinterpret_cast<const sockaddr_in*>(r->ai_addr)->sin_addr, port));
    }
  }
  ::freeaddrinfo(results);
  return found;
}

std::optional<SocketAddress> numeric_address(const std::string& text, std::uint16_t port) {
  in_addr in4{};
  in6_addr in6{};
  if (::inet_pton(AF_INET, text.c_str(), &in4) == 1) return from_parts(AF_INET, &in4, port);
  if (::inet_pton(AF_INET6, text.c_str(), &in6) == 1) return from_parts(AF_INET6, &in6, port);
  return std::nullopt;
}

SocketAddress loopback_address(std::uint16_t port) {
  const in_addr loopback{htonl(INADDR_LOOPBACK)};
  return from_parts(AF_INET, &loopback, port);
}

SocketAddress any_address(std::uint16_t port, bool ipv6) {
  if (ipv6) return from_parts(AF_INET6, &in6addr_any, port);
  const in_addr any{htonl(INADDR_ANY)};
  return from_parts(AF_INET, &any, port);
}

std::string address_text(const SocketAddress& address) {
  char host[INET6_ADDRSTRLEN] = "?";
  std::uint16_t port = 0;
  if (family_of(address) == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address.bytes);
    ::inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
    port = ntohs(in6->sin6_port);
  } else {
    const auto* in4 = reinterpret_cast<const sockaddr_in*>(address.bytes);
    ::inet_ntop(AF_INET, &in4->sin_addr, host, sizeof host);
    port = ntohs(in4->sin_port);
  }
  return std::string(host) + " port " + std::to_string(port);
}

std::string local_host_name() {
  char host[1000] = {};
  ::gethostname(host, sizeof host - 1);
  return host;
}

Socket open_stream_socket(const SocketAddress& family) {
  return ::socket(family_of(family), SOCK_STREAM | SOCK_CLOEXEC, 0);
}

void close_socket(Socket socket) {
  if (socket != kNoSocket) ::close(fd_of(socket));
}

void shutdown_socket(Socket socket) {
  ::shutdown(fd_of(socket), SHUT_RDWR);
}

void set_blocking(Socket socket, bool blocking) {
  const int flags = ::fcntl(fd_of(socket), F_GETFL);
  ::fcntl(fd_of(socket), F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

void set_no_delay(Socket socket) {
  const int on = 1;
  ::setsockopt(fd_of(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void set_send_timeout(Socket socket, std::uint32_t ms) {
  timeval timeout{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
  ::setsockopt(fd_of(socket), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

ConnectOutcome connect_socket(Socket socket, const SocketAddress& address, std::uint32_t timeout_ms,
                              Socket cancel, int& error) {
  set_blocking(socket, false);
  if (::connect(fd_of(socket), sockaddr_of(address), address.length) == 0) {
    set_blocking(socket, true);
    return ConnectOutcome::kConnected;
  }
  if (errno != EINPROGRESS) {
    error = errno;
    return ConnectOutcome::kFailed;
  }
  pollfd waits[2] = {{fd_of(socket), POLLOUT, 0}, {fd_of(cancel), POLLIN, 0}};
  const int ready = ::poll(waits, cancel == kNoSocket ? 1 : 2, static_cast<int>(timeout_ms));
  if (ready > 0 && cancel != kNoSocket && (waits[1].revents & POLLIN)) {
    return ConnectOutcome::kCancelled;
  }
  int so_error = ETIMEDOUT;
  socklen_t size = sizeof so_error;
  if (ready > 0) ::getsockopt(fd_of(socket), SOL_SOCKET, SO_ERROR, &so_error, &size);
  if (so_error != 0) {
    error = so_error;
    return ConnectOutcome::kFailed;
  }
  set_blocking(socket, true);
  return ConnectOutcome::kConnected;
}

long send_bytes(Socket socket, const void* data, std::size_t size) {
  while (true) {
    const ssize_t n = ::send(fd_of(socket), data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    return static_cast<long>(n);
  }
}

long receive_bytes(Socket socket, void* data, std::size_t size) {
  while (true) {
    const ssize_t n = ::recv(fd_of(socket), data, size, 0);
    if (n < 0 && errno == EINTR) continue;
    return static_cast<long>(n);
  }
}

bool is_transient(int code) {
  return code == EAGAIN || code == EWOULDBLOCK || code == EINTR;
}

Socket listen_on(const SocketAddress& address, int backlog, std::string& error) {
  const int fd = ::socket(family_of(address), SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return kNoSocket;
  }
  const int on = 1;
  const int off = 0;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (family_of(address) == AF_INET6) ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
  if (::bind(fd, sockaddr_of(address), address.length) != 0 || ::listen(fd, backlog) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    return kNoSocket;
  }
  return fd;
}

Socket accept_connection(Socket listener, std::string* peer_host) {
  SocketAddress peer;
  socklen_t size = sizeof peer.bytes;
  const int fd =
      ::accept4(fd_of(listener), reinterpret_cast<sockaddr*>(peer.bytes), &size, SOCK_CLOEXEC);
  if (fd < 0) return kNoSocket;
  peer.length = size;
  if (peer_host != nullptr) {
    const std::string text = address_text(peer);
    *peer_host = text.substr(0, text.find(" port "));
  }
  return fd;
}

std::uint16_t local_port(Socket socket) {
  SocketAddress bound;
  socklen_t size = sizeof bound.bytes;
  if (::getsockname(fd_of(socket), reinterpret_cast<sockaddr*>(bound.bytes), &size) != 0) return 0;
  if (family_of(bound) == AF_INET6) {
    return ntohs(reinterpret_cast<const sockaddr_in6*>(bound.bytes)->sin6_port);
  }
  return ntohs(reinterpret_cast<const sockaddr_in*>(bound.bytes)->sin_port);
}

int wait_sockets(std::span<SocketWait> waits, int timeout_ms) {
  std::vector<pollfd> polls;
  polls.reserve(waits.size());
  for (const SocketWait& wait : waits) {
    const short events = static_cast<short>((wait.read ? POLLIN : 0) | (wait.write ? POLLOUT : 0));
    polls.push_back({fd_of(wait.socket), events, 0});
  }
  const int ready = ::poll(polls.data(), polls.size(), timeout_ms);
  if (ready < 0) return errno == EINTR ? 0 : -1;
  for (std::size_t i = 0; i < waits.size(); ++i) {
    const short got = polls[i].revents;
    waits[i].readable = waits[i].read && (got & (POLLIN | POLLHUP | POLLERR)) != 0;
    waits[i].writable = waits[i].write && (got & (POLLOUT | POLLHUP | POLLERR)) != 0;
  }
  return ready;
}

Wakeup::Wakeup() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  read_end_ = ends[0];
  write_end_ = ends[1];
}

Wakeup::~Wakeup() {
  close_socket(read_end_);
  close_socket(write_end_);
}

void Wakeup::signal(char byte) const {
  // A full pipe already holds a wake-up, so a failed write loses nothing.
  if (write_end_ == kNoSocket) return;
  [[maybe_unused]] const ssize_t ignored = ::write(fd_of(write_end_), &byte, 1);
}

int Wakeup::drain(char* out, int size) const {
  const ssize_t n = ::read(fd_of(read_end_), out, static_cast<std::size_t>(size));
  return n < 0 ? 0 : static_cast<int>(n);
}

std::tm local_time(std::time_t seconds) {
  std::tm local{};
  ::localtime_r(&seconds, &local);
  return local;
}

std::optional<std::string> native_command_line() {
  return std::nullopt;
}

}  // namespace quorvel::platform::os
