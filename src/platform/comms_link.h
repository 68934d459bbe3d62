#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/os.h"

namespace quorvel::platform {

// Called on the link's own thread with each delivery: a buffer in the layout the bot
// reads (kind in byte 0, body from byte 4, 16-bit values in host order) or a local event
// (kind 255, 32-bit error code at 4, 16-bit event number at 8).
using ReceiveCallback = void (*)(const std::uint8_t* data, std::uint32_t length,
                                 std::uint32_t value);

inline constexpr std::uint8_t kLocalEvent = 255;
enum LocalEvent : std::uint16_t {
  kEventConnected = 1,
  kEventOutOfMemory = 3,
  kEventReadError = 5,
  kEventWriteError = 6,
  kEventClosed = 7,
};

// What the caller sets before starting the link. configure() fills in the defaults and
// what the configuration file says.
struct CommsConfig {
  std::uint32_t client_mode = 1;         // this end connects to a server
  bool server_mode = false;              // this end does not listen
  bool deliver_control_messages = true;  // IM, RM, FM and EM reach the callback too
  bool deliver_local_events = true;      // connected, errors and close reach the callback
  ReceiveCallback receive_callback = nullptr;
  std::uint32_t reserved = 0;
  bool logging = false;  // write the framing log
  std::uint8_t log_level = 0;
  const char* log_file_name = "tcpip_output.txt";
  std::uint32_t max_held_bytes = 5000000;  // outgoing bytes that may wait for the RM
  std::uint32_t* link_state = nullptr;     // when given: 1 while connected, else 0
  std::uint32_t* last_error = nullptr;     // when given: the last system error code

  // Timeouts, also settable in the configuration file.
  std::uint32_t connect_timeout_ms = 10000;
  std::uint32_t stall_timeout_ms = 30000;  // a message begun but not finished
  std::uint32_t send_timeout_ms = 10000;
};

// A DAIDE client connection over TCP, with a receive thread of its own. Messages the
// caller sends before the server's RM are held back and sent in order after it.
class CommsLink {
 public:
  CommsLink();
  ~CommsLink();
  CommsLink(const CommsLink&) = delete;
  CommsLink& operator=(const CommsLink&) = delete;

  // Resets the record to its defaults and applies the configuration file when it exists:
  // lines "key = value" with the keys connect_timeout_ms, stall_timeout_ms,
  // send_timeout_ms and max_held_bytes; "#" starts a comment.
  CommsConfig* configure(const char* config_file_name);
  bool start(const CommsConfig* config);
  // A host name to resolve, or a numeric IPv4 or IPv6 address.
  bool convert_address(const char* address, bool is_host_name, std::uint16_t port);
  // Connects on the receive thread; the outcome arrives as local event 1.
  void connect();
  // Takes an outgoing buffer: kind 2, pad, body length and tokens in host order.
  bool send_message(const std::uint8_t* buffer, std::uint32_t length);
  // Closes the connection and ends the receive thread; nothing more is delivered.
  void stop();

 private:
  enum class Ending { kStopped, kClosed, kReadError, kWriteError };

  void run();
  os::Socket open_connection(int& error, bool& cancelled);
  Ending read_loop(os::Socket fd, int& error);
  // Answers false when the connection must close after this message.
  bool handle_frame(os::Socket fd, std::uint8_t type, std::vector<std::uint8_t> body);
  void refuse(os::Socket fd, std::uint16_t code, const char* why);
  bool write_frame(os::Socket fd, const std::vector<std::uint8_t>& frame);
  void release_held_messages(os::Socket fd);
  void deliver(std::uint8_t kind, const std::vector<std::uint8_t>& body);
  void deliver_event(std::uint16_t event, std::uint32_t code);
  void set_state(bool connected, int error);
  void log(const char* format, ...) __attribute__((format(printf, 2, 3)));

  CommsConfig config_;
  bool started_ = false;
  std::vector<os::SocketAddress> addresses_;
  std::thread thread_;
  std::unique_ptr<os::Wakeup> stop_;  // readable once stop() asks the thread to end
  std::atomic<std::uint32_t> sequence_{0};

  std::mutex send_mutex_;  // guards everything below
  os::Socket fd_ = os::kNoSocket;
  bool connecting_ = false;
  bool rm_received_ = false;
  bool closed_ = false;
  int write_error_ = 0;
  std::deque<std::vector<std::uint8_t>> held_;
  std::size_t held_bytes_ = 0;

  std::mutex log_mutex_;
  std::FILE* log_file_ = nullptr;
};

// The process's one link, for the functions below.
CommsLink& process_link();

}  // namespace quorvel::platform

// The comms library's entry points as the bot calls them.
quorvel::platform::CommsConfig* dcsp_configure(const char* config_file_name);
int dcsp_start(quorvel::platform::CommsConfig* config);
int dcsp_convert_address(const char* address, int is_host_name, std::uint16_t port);
int dcsp_client_connect();
int dcsp_client_send_message(const std::uint8_t* buffer, std::uint32_t length);
// Ends the link before the objects it calls back into are destroyed.
void dcsp_stop();
