// POSIX sockets and the rest of the system seam on Linux.
#include <fcntl.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/os_sockets.h"

namespace quorvel::platform::os {

using detail::family_of;
using detail::native;
using detail::sockaddr_of;

void detail::ensure_sockets() {}

Socket detail::accept_socket(Socket listener, sockaddr* peer, SocketLength* size) {
  const int fd = ::accept4(native(listener), peer, size, SOCK_CLOEXEC);
  return fd < 0 ? kNoSocket : fd;
}

int last_socket_error() {
  return errno;
}

std::string error_text(int code) {
  return std::strerror(code);
}

int connection_refused_error() {
  return ECONNREFUSED;
}

int no_address_error() {
  return EDESTADDRREQ;
}

int io_error() {
  return EIO;
}

Socket open_stream_socket(const SocketAddress& family) {
  return ::socket(family_of(family), SOCK_STREAM | SOCK_CLOEXEC, 0);
}

void close_socket(Socket socket) {
  if (socket != kNoSocket) ::close(native(socket));
}

void shutdown_socket(Socket socket) {
  ::shutdown(native(socket), SHUT_RDWR);
}

void set_blocking(Socket socket, bool blocking) {
  const int flags = ::fcntl(native(socket), F_GETFL);
  ::fcntl(native(socket), F_SETFL, blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK);
}

void set_no_delay(Socket socket) {
  const int on = 1;
  ::setsockopt(native(socket), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void set_send_timeout(Socket socket, std::uint32_t ms) {
  timeval timeout{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
  ::setsockopt(native(socket), SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

ConnectOutcome connect_socket(Socket socket, const SocketAddress& address, std::uint32_t timeout_ms,
                              Socket cancel, int& error) {
  set_blocking(socket, false);
  if (::connect(native(socket), sockaddr_of(address), address.length) == 0) {
    set_blocking(socket, true);
    return ConnectOutcome::kConnected;
  }
  if (errno != EINPROGRESS) {
    error = errno;
    return ConnectOutcome::kFailed;
  }
  pollfd waits[2] = {{native(socket), POLLOUT, 0}, {native(cancel), POLLIN, 0}};
  const int ready = ::poll(waits, cancel == kNoSocket ? 1 : 2, static_cast<int>(timeout_ms));
  if (ready > 0 && cancel != kNoSocket && (waits[1].revents & POLLIN)) {
    return ConnectOutcome::kCancelled;
  }
  int so_error = ETIMEDOUT;
  socklen_t size = sizeof so_error;
  if (ready > 0) ::getsockopt(native(socket), SOL_SOCKET, SO_ERROR, &so_error, &size);
  if (so_error != 0) {
    error = so_error;
    return ConnectOutcome::kFailed;
  }
  set_blocking(socket, true);
  return ConnectOutcome::kConnected;
}

long send_bytes(Socket socket, const void* data, std::size_t size) {
  while (true) {
    const ssize_t n = ::send(native(socket), data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    return static_cast<long>(n);
  }
}

long receive_bytes(Socket socket, void* data, std::size_t size) {
  while (true) {
    const ssize_t n = ::recv(native(socket), data, size, 0);
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

int wait_sockets(std::span<SocketWait> waits, int timeout_ms) {
  std::vector<pollfd> polls;
  polls.reserve(waits.size());
  for (const SocketWait& wait : waits) {
    const short events = static_cast<short>((wait.read ? POLLIN : 0) | (wait.write ? POLLOUT : 0));
    polls.push_back({native(wait.socket), events, 0});
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
  [[maybe_unused]] const ssize_t ignored = ::write(native(write_end_), &byte, 1);
}

int Wakeup::drain(char* out, int size) const {
  const ssize_t n = ::read(native(read_end_), out, static_cast<std::size_t>(size));
  return n < 0 ? 0 : static_cast<int>(n);
}

std::tm local_time(std::time_t seconds) {
  std::tm local{};
  ::localtime_r(&seconds, &local);
  return local;
}

long process_id() {
  return static_cast<long>(::getpid());
}

void ignore_broken_pipes() {
  ::signal(SIGPIPE, SIG_IGN);
}

std::optional<std::string> native_command_line() {
  return std::nullopt;
}

}  // namespace quorvel::platform::os
