// Winsock and the Windows API behind the system seam. Winsock needs WSAStartup before
// its first use; every entry that touches it makes sure of that.
#include <windows.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <mutex>

#include "platform/os.h"

namespace quorvel::platform::os {

namespace {

void ensure_winsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
  });
}

SOCKET handle_of(Socket socket) {
  return static_cast<SOCKET>(socket);
}

Socket socket_of(SOCKET handle) {
  return handle == INVALID_SOCKET ? kNoSocket : static_cast<Socket>(handle);
}

const sockaddr* sockaddr_of(const SocketAddress& address) {
  return reinterpret_cast<const sockaddr*>(address.bytes);
}

int family_of(const SocketAddress& address) {
  return sockaddr_of(address)->sa_family;
}

SocketAddress from_parts(int family, const void* host, std::uint16_t port) {
  static_assert(sizeof(SocketAddress::bytes) >= sizeof(sockaddr_storage));
  SocketAddress address;
  if (family == AF_INET6) {
    auto* in6 = reinterpret_cast<sockaddr_in6*>(address.bytes);
    in6->sin6_family = AF_INET6;
    if (host != nullptr) std::memcpy(&in6->sin6_addr, host, sizeof in6->sin6_addr);
    in6->sin6_port = htons(port);
    address.length = sizeof(sockaddr_in6);
  } else {
    auto* in4 = reinterpret_cast<sockaddr_in*>(address.bytes);
    in4->sin_family = AF_INET;
    if (host != nullptr) std::memcpy(&in4->sin_addr, host, sizeof in4->sin_addr);
    in4->sin_port = htons(port);
    address.length = sizeof(sockaddr_in);
  }
  return address;
}

// Child processes must not keep the program's connections open.
Socket not_inherited(SOCKET handle) {
  if (handle != INVALID_SOCKET) {
    ::SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
  }
  return socket_of(handle);
}

}  // namespace

int last_socket_error() {
  return ::WSAGetLastError();
}

std::string error_text(int code) {
  char text[512] = {};
  const DWORD length =
      ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
  std::string result(text, length);
  while (!result.empty() &&
         (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
    result.pop_back();
  return result.empty() ? "error " + std::to_string(code) : result;
}

int connection_refused_error() {
  return WSAECONNREFUSED;
}

int timed_out_error() {
  return WSAETIMEDOUT;
}

int no_address_error() {
  return WSAEDESTADDRREQ;
}

int io_error() {
  return WSAECONNABORTED;
}

std::vector<SocketAddress> resolve_host(const std::string& name, std::uint16_t port) {
  ensure_winsock();
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
  ensure_winsock();
  in_addr in4{};
  in6_addr in6{};
  if (::inet_pton(AF_INET, text.c_str(), &in4) == 1) return from_parts(AF_INET, &in4, port);
  if (::inet_pton(AF_INET6, text.c_str(), &in6) == 1) return from_parts(AF_INET6, &in6, port);
  return std::nullopt;
}

SocketAddress loopback_address(std::uint16_t port) {
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  return from_parts(AF_INET, &loopback, port);
}

SocketAddress any_address(std::uint16_t port, bool ipv6) {
  if (ipv6) return from_parts(AF_INET6, &in6addr_any, port);
  in_addr any{};
  any.s_addr = htonl(INADDR_ANY);
  return from_parts(AF_INET, &any, port);
}

std::string address_text(const SocketAddress& address) {
  ensure_winsock();
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
  ensure_winsock();
  char host[1000] = {};
  ::gethostname(host, sizeof host - 1);
  return host;
}

Socket open_stream_socket(const SocketAddress& family) {
  ensure_winsock();
  return not_inherited(::socket(family_of(family), SOCK_STREAM, IPPROTO_TCP));
}

void close_socket(Socket socket) {
  if (socket != kNoSocket) ::closesocket(handle_of(socket));
}

void shutdown_socket(Socket socket) {
  ::shutdown(handle_of(socket), SD_BOTH);
}

void set_blocking(Socket socket, bool blocking) {
  u_long non_blocking = blocking ? 0 : 1;
  ::ioctlsocket(handle_of(socket), FIONBIO, &non_blocking);
}

void set_no_delay(Socket socket) {
  const BOOL on = TRUE;
  ::setsockopt(handle_of(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
               sizeof on);
}

void set_send_timeout(Socket socket, std::uint32_t ms) {
  const DWORD timeout = ms;
  ::setsockopt(handle_of(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
}

// select, not WSAPoll: WSAPoll does not report a refused connection on every version.
ConnectOutcome connect_socket(Socket socket, const SocketAddress& address, std::uint32_t timeout_ms,
                              Socket cancel, int& error) {
  const SOCKET handle = handle_of(socket);
  set_blocking(socket, false);
  if (::connect(handle, sockaddr_of(address), static_cast<int>(address.length)) == 0) {
    set_blocking(socket, true);
    return ConnectOutcome::kConnected;
  }
  if (::WSAGetLastError() != WSAEWOULDBLOCK) {
    error = ::WSAGetLastError();
    return ConnectOutcome::kFailed;
  }
  fd_set writable;
  fd_set failed;
  fd_set readable;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_ZERO(&readable);
  FD_SET(handle, &writable);
  FD_SET(handle, &failed);
  if (cancel != kNoSocket) FD_SET(handle_of(cancel), &readable);
  timeval limit{static_cast<long>(timeout_ms / 1000),
                static_cast<long>((timeout_ms % 1000) * 1000)};
  const int ready = ::select(0, &readable, &writable, &failed, &limit);
  if (ready > 0 && cancel != kNoSocket && FD_ISSET(handle_of(cancel), &readable)) {
    return ConnectOutcome::kCancelled;
  }
  if (ready <= 0) {
    error = ready == 0 ? WSAETIMEDOUT : ::WSAGetLastError();
    return ConnectOutcome::kFailed;
  }
  if (FD_ISSET(handle, &failed)) {
    int so_error = WSAECONNREFUSED;
    int size = sizeof so_error;
    ::getsockopt(handle, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&so_error), &size);
    error = so_error == 0 ? WSAECONNREFUSED : so_error;
    return ConnectOutcome::kFailed;
  }
  set_blocking(socket, true);
  return ConnectOutcome::kConnected;
}

long send_bytes(Socket socket, const void* data, std::size_t size) {
  return ::send(handle_of(socket), static_cast<const char*>(data), static_cast<int>(size), 0);
}

long receive_bytes(Socket socket, void* data, std::size_t size) {
  return ::recv(handle_of(socket), static_cast<char*>(data), static_cast<int>(size), 0);
}

bool is_transient(int code) {
  return code == WSAEWOULDBLOCK || code == WSAEINTR;
}

Socket listen_on(const SocketAddress& address, int backlog, std::string& error) {
  ensure_winsock();
  const Socket socket = not_inherited(::socket(family_of(address), SOCK_STREAM, IPPROTO_TCP));
  if (socket == kNoSocket) {
    error = error_text(::WSAGetLastError());
    return kNoSocket;
  }
  const SOCKET handle = handle_of(socket);
  // Another process may not take the port over while this one listens.
  const BOOL on = TRUE;
  ::setsockopt(handle, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
               sizeof on);
  if (family_of(address) == AF_INET6) {
    const DWORD off = 0;
    ::setsockopt(handle, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&off),
                 sizeof off);
  }
  if (::bind(handle, sockaddr_of(address), static_cast<int>(address.length)) != 0 ||
      ::listen(handle, backlog) != 0) {
    error = error_text(::WSAGetLastError());
    ::closesocket(handle);
    return kNoSocket;
  }
  return socket;
}

Socket accept_connection(Socket listener, std::string* peer_host) {
  SocketAddress peer;
  int size = sizeof peer.bytes;
  const Socket socket =
      not_inherited(::accept(handle_of(listener), reinterpret_cast<sockaddr*>(peer.bytes), &size));
  if (socket == kNoSocket) return kNoSocket;
  // An accepted socket inherits the listener's non-blocking mode; callers set their own.
  set_blocking(socket, true);
  peer.length = static_cast<std::uint32_t>(size);
  if (peer_host != nullptr) {
    const std::string text = address_text(peer);
    *peer_host = text.substr(0, text.find(" port "));
  }
  return socket;
}

std::uint16_t local_port(Socket socket) {
  SocketAddress bound;
  int size = sizeof bound.bytes;
  if (::getsockname(handle_of(socket), reinterpret_cast<sockaddr*>(bound.bytes), &size) != 0) {
    return 0;
  }
  if (family_of(bound) == AF_INET6) {
    return ntohs(reinterpret_cast<const sockaddr_in6*>(bound.bytes)->sin6_port);
  }
  return ntohs(reinterpret_cast<const sockaddr_in*>(bound.bytes)->sin_port);
}

int wait_sockets(std::span<SocketWait> waits, int timeout_ms) {
  if (waits.empty()) {
    ::Sleep(timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms));
    return 0;
  }
  std::vector<WSAPOLLFD> polls;
  polls.reserve(waits.size());
  for (const SocketWait& wait : waits) {
    WSAPOLLFD poll{};
    poll.fd = handle_of(wait.socket);
    poll.events = static_cast<SHORT>((wait.read ? POLLRDNORM : 0) | (wait.write ? POLLWRNORM : 0));
    polls.push_back(poll);
  }
  const int ready = ::WSAPoll(polls.data(), static_cast<ULONG>(polls.size()), timeout_ms);
  if (ready < 0) return -1;
  for (std::size_t i = 0; i < waits.size(); ++i) {
    const SHORT got = polls[i].revents;
    waits[i].readable = waits[i].read && (got & (POLLRDNORM | POLLHUP | POLLERR)) != 0;
    waits[i].writable = waits[i].write && (got & (POLLWRNORM | POLLHUP | POLLERR)) != 0;
  }
  return ready;
}

// A UDP socket on the loopback interface, connected to itself: what one thread sends
// makes it readable for the thread that waits on it.
Wakeup::Wakeup() {
  ensure_winsock();
  const SOCKET handle = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (handle == INVALID_SOCKET) return;
  SocketAddress self = loopback_address(0);
  int size = sizeof self.bytes;
  if (::bind(handle, sockaddr_of(self), static_cast<int>(self.length)) != 0 ||
      ::getsockname(handle, reinterpret_cast<sockaddr*>(self.bytes), &size) != 0 ||
      ::connect(handle, sockaddr_of(self), static_cast<int>(self.length)) != 0) {
    ::closesocket(handle);
    return;
  }
  read_end_ = not_inherited(handle);
  set_blocking(read_end_, false);
}

Wakeup::~Wakeup() {
  close_socket(read_end_);
}

void Wakeup::signal(char byte) const {
  if (read_end_ != kNoSocket) ::send(handle_of(read_end_), &byte, 1, 0);
}

int Wakeup::drain(char* out, int size) const {
  int count = 0;
  while (count < size && ::recv(handle_of(read_end_), out + count, 1, 0) == 1)
    ++count;
  return count;
}

std::tm local_time(std::time_t seconds) {
  std::tm local{};
  ::localtime_s(&local, &seconds);
  return local;
}

std::optional<std::string> native_command_line() {
  return std::string(::GetCommandLineA());
}

}  // namespace quorvel::platform::os
