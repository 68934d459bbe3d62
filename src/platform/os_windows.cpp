// Winsock and the Windows API behind the system seam. Winsock needs WSAStartup before
// its first use; every entry that touches it makes sure of that.
#include <mutex>

#include "platform/os_sockets.h"

namespace quorvel::platform::os {

using detail::family_of;
using detail::native;
using detail::sockaddr_of;

namespace {

// Child processes must not keep the program's connections open.
Socket not_inherited(SOCKET handle) {
  if (handle == INVALID_SOCKET) return kNoSocket;
  ::SetHandleInformation(reinterpret_cast<HANDLE>(handle), HANDLE_FLAG_INHERIT, 0);
  return static_cast<Socket>(handle);
}

}  // namespace

void detail::ensure_sockets() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
  });
}

Socket detail::accept_socket(Socket listener, sockaddr* peer, SocketLength* size) {
  const Socket socket = not_inherited(::accept(native(listener), peer, size));
  // An accepted socket inherits the listener's non-blocking mode; callers set their own.
  if (socket != kNoSocket) set_blocking(socket, true);
  return socket;
}

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

int no_address_error() {
  return WSAEDESTADDRREQ;
}

int io_error() {
  return WSAECONNABORTED;
}

Socket open_stream_socket(const SocketAddress& family) {
  detail::ensure_sockets();
  return not_inherited(::socket(family_of(family), SOCK_STREAM, IPPROTO_TCP));
}

void close_socket(Socket socket) {
  if (socket != kNoSocket) ::closesocket(native(socket));
}

void shutdown_socket(Socket socket) {
  ::shutdown(native(socket), SD_BOTH);
}

void set_blocking(Socket socket, bool blocking) {
  u_long non_blocking = blocking ? 0 : 1;
  ::ioctlsocket(native(socket), FIONBIO, &non_blocking);
}

void set_no_delay(Socket socket) {
  const BOOL on = TRUE;
  ::setsockopt(native(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
               sizeof on);
}

void set_send_timeout(Socket socket, std::uint32_t ms) {
  const DWORD timeout = ms;
  ::setsockopt(native(socket), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof timeout);
}

// select, not WSAPoll: WSAPoll does not report a refused connection on every version.
ConnectOutcome connect_socket(Socket socket, const SocketAddress& address, std::uint32_t timeout_ms,
                              Socket cancel, int& error) {
  const SOCKET handle = native(socket);
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
  if (cancel != kNoSocket) FD_SET(native(cancel), &readable);
  timeval limit{static_cast<long>(timeout_ms / 1000),
                static_cast<long>((timeout_ms % 1000) * 1000)};
  const int ready = ::select(0, &readable, &writable, &failed, &limit);
  if (ready > 0 && cancel != kNoSocket && FD_ISSET(native(cancel), &readable)) {
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
  return ::send(native(socket), static_cast<const char*>(data), static_cast<int>(size), 0);
}

long receive_bytes(Socket socket, void* data, std::size_t size) {
  return ::recv(native(socket), static_cast<char*>(data), static_cast<int>(size), 0);
}

bool is_transient(int code) {
  return code == WSAEWOULDBLOCK || code == WSAEINTR;
}

Socket listen_on(const SocketAddress& address, int backlog, std::string& error) {
  detail::ensure_sockets();
  const Socket socket = not_inherited(::socket(family_of(address), SOCK_STREAM, IPPROTO_TCP));
  if (socket == kNoSocket) {
    error = error_text(::WSAGetLastError());
    return kNoSocket;
  }
  const SOCKET handle = native(socket);
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

int wait_sockets(std::span<SocketWait> waits, int timeout_ms) {
  if (waits.empty()) {
    ::Sleep(timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms));
    return 0;
  }
  std::vector<WSAPOLLFD> polls;
  polls.reserve(waits.size());
  for (const SocketWait& wait : waits) {
    WSAPOLLFD poll{};
    poll.fd = native(wait.socket);
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
  detail::ensure_sockets();
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
  if (read_end_ != kNoSocket) ::send(native(read_end_), &byte, 1, 0);
}

int Wakeup::drain(char* out, int size) const {
  int count = 0;
  while (count < size && ::recv(native(read_end_), out + count, 1, 0) == 1)
    ++count;
  return count;
}

std::tm local_time(std::time_t seconds) {
  std::tm local{};
  ::localtime_s(&local, &seconds);
  return local;
}

long process_id() {
  return static_cast<long>(GetCurrentProcessId());
}

void ignore_broken_pipes() {}

std::optional<std::string> native_command_line() {
  return std::string(::GetCommandLineA());
}

}  // namespace quorvel::platform::os
