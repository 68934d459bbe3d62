#pragma once

// What differs between the operating systems the programs run on, behind one set of
// functions: sockets (POSIX sockets or Winsock), the wake-up of a waiting thread, the
// local host name, the local time and the process's own command line. os_posix.cpp and
// os_windows.cpp implement it; the build picks one, so no other file tests the system.

#include <cstdint>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvel::platform::os {

// A socket handle wide enough for either system's; kNoSocket when there is none.
using Socket = std::intptr_t;
inline constexpr Socket kNoSocket = -1;

// An IPv4 or IPv6 address with its port, held as the system's own structure.
struct SocketAddress {
  alignas(8) unsigned char bytes[128] = {};
  std::uint32_t length = 0;
};

// Error codes as the system numbers them (errno or WSAGetLastError).
int last_socket_error();
std::string error_text(int code);
int connection_refused_error();
int no_address_error();
int io_error();

// Addresses. A host name resolves to every address it has, in the resolver's order.
std::vector<SocketAddress> resolve_host(const std::string& name, std::uint16_t port);
std::optional<SocketAddress> numeric_address(const std::string& text, std::uint16_t port);
SocketAddress loopback_address(std::uint16_t port);
// Any address of both families (IPv4 only where the system has no IPv6).
SocketAddress any_address(std::uint16_t port, bool ipv6);
// "host port N".
std::string address_text(const SocketAddress& address);
std::string local_host_name();
// This process's id.
long process_id();

// Stream sockets; none of them is inherited by child processes.
Socket open_stream_socket(const SocketAddress& family_of);
void close_socket(Socket socket);
// Ends both directions; a thread waiting on the socket wakes.
void shutdown_socket(Socket socket);
void set_blocking(Socket socket, bool blocking);
void set_no_delay(Socket socket);
void set_send_timeout(Socket socket, std::uint32_t ms);

// Connects a fresh socket, waiting at most timeout_ms, or until `cancel` is readable.
enum class ConnectOutcome { kConnected, kFailed, kCancelled };
ConnectOutcome connect_socket(Socket socket, const SocketAddress& address, std::uint32_t timeout_ms,
                              Socket cancel, int& error);

// Bytes moved, 0 at the peer's orderly close, −1 on error (last_socket_error() tells
// which). A send never raises a signal when the peer is gone.
long send_bytes(Socket socket, const void* data, std::size_t size);
long receive_bytes(Socket socket, void* data, std::size_t size);
// An error of a non-blocking call that only means "not now".
bool is_transient(int code);

// A listening socket, or kNoSocket with `error` set. IPv6 listeners take IPv4 too.
Socket listen_on(const SocketAddress& address, int backlog, std::string& error);
Socket accept_connection(Socket listener, std::string* peer_host);
std::uint16_t local_port(Socket socket);

// Waits until one of the sockets is ready or the time is up (−1: no limit); marks the
// ready ones (a socket at its peer's close or in error counts as readable). Answers
// how many are ready, 0 on timeout, −1 on error.
struct SocketWait {
  Socket socket = kNoSocket;
  bool read = false;
  bool write = false;
  bool readable = false;
  bool writable = false;
};
int wait_sockets(std::span<SocketWait> waits, int timeout_ms);

// A handle other threads make readable, to wake a thread waiting on sockets. signal()
// is async-signal-safe on POSIX; a pending wake-up is kept until drained.
class Wakeup {
 public:
  Wakeup();
  ~Wakeup();
  Wakeup(const Wakeup&) = delete;
  Wakeup& operator=(const Wakeup&) = delete;

  bool valid() const { return read_end_ != kNoSocket; }
  Socket handle() const { return read_end_; }
  void signal(char byte = 'W') const;
  // Reads what is pending into out (at most size bytes); answers how many.
  int drain(char* out, int size) const;

 private:
  Socket read_end_ = kNoSocket;
  Socket write_end_ = kNoSocket;
};

std::tm local_time(std::time_t seconds);

// A reader that goes away (a closed pipe on standard output, say) must not end the
// process; there is no such signal on Windows.
void ignore_broken_pipes();

// The command line exactly as the process received it, where the system keeps it
// (Windows); otherwise nothing, and the caller joins the arguments.
std::optional<std::string> native_command_line();

}  // namespace quorvel::platform::os
