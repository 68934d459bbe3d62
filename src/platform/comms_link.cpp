#include "platform/comms_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/daide_framing.h"

namespace quorvel::platform {

namespace {

using Clock = std::chrono::steady_clock;

const char* type_name(std::uint8_t type) {
  switch (type) {
    case kInitialMessage:
      return "IM";
    case kRepresentationMessage:
      return "RM";
    case kDiplomacyMessage:
      return "DM";
    case kFinalMessage:
      return "FM";
    case kErrorMessage:
      return "EM";
    default:
      return "unknown";
  }
}

socklen_t address_length(const sockaddr_storage& address) {
  return address.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
}

std::string address_text(const sockaddr_storage& address) {
  char host[INET6_ADDRSTRLEN] = "?";
  std::uint16_t port = 0;
  if (address.ss_family == AF_INET6) {
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &in6.sin6_addr, host, sizeof host);
    port = ntohs(in6.sin6_port);
  } else {
    const auto& in4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &in4.sin_addr, host, sizeof host);
    port = ntohs(in4.sin_port);
  }
  return std::string(host) + " port " + std::to_string(port);
}

void read_config_file(const char* name, CommsConfig& config) {
  std::ifstream in(name);
  std::string line;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::istringstream key_stream(line.substr(0, equals));
    std::istringstream value_stream(line.substr(equals + 1));
    std::string key;
    unsigned long value = 0;
    if (!(key_stream >> key) || !(value_stream >> value)) continue;
    const auto v = static_cast<std::uint32_t>(value);
    if (key == "connect_timeout_ms") config.connect_timeout_ms = v;
    if (key == "stall_timeout_ms") config.stall_timeout_ms = v;
    if (key == "send_timeout_ms") config.send_timeout_ms = v;
    if (key == "max_held_bytes") config.max_held_bytes = v;
  }
}

}  // namespace

CommsLink::CommsLink() = default;

CommsLink::~CommsLink() {
  stop();
  if (log_file_ != nullptr) std::fclose(log_file_);
}

CommsConfig* CommsLink::configure(const char* config_file_name) {
  config_ = CommsConfig{};
  if (config_file_name != nullptr) read_config_file(config_file_name, config_);
  return &config_;
}

bool CommsLink::start(const CommsConfig* config) {
  if (config == nullptr || config->receive_callback == nullptr || started_) return false;
  if (config != &config_) config_ = *config;
  if (::pipe2(stop_pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  if (config_.logging && config_.log_file_name != nullptr) {
    std::lock_guard guard(log_mutex_);
    if (log_file_ == nullptr) log_file_ = std::fopen(config_.log_file_name, "w");
  }
  started_ = true;
  log("Link started");
  return true;
}

bool CommsLink::convert_address(const char* address, bool is_host_name, std::uint16_t port) {
  if (address == nullptr) return false;
  std::vector<sockaddr_storage> found;
  if (is_host_name) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* results = nullptr;
    if (::getaddrinfo(address, nullptr, &hints, &results) != 0 || results == nullptr) {
      log("Cannot resolve host name '%s'", address);
      return false;
    }
    for (addrinfo* r = results; r != nullptr; r = r->ai_next) {
      if (r->ai_addrlen > sizeof(sockaddr_storage)) continue;
      sockaddr_storage entry{};
      std::memcpy(&entry, r->ai_addr, r->ai_addrlen);
      found.push_back(entry);
    }
    ::freeaddrinfo(results);
  } else {
    sockaddr_storage entry{};
    auto& in4 = reinterpret_cast<sockaddr_in&>(entry);
    auto& in6 = reinterpret_cast<sockaddr_in6&>(entry);
    if (::inet_pton(AF_INET, address, &in4.sin_addr) == 1) {
      in4.sin_family = AF_INET;
      found.push_back(entry);
    } else if (::inet_pton(AF_INET6, address, &in6.sin6_addr) == 1) {
      in6.sin6_family = AF_INET6;
      found.push_back(entry);
    } else {
      log("Bad numeric address '%s'", address);
      return false;
    }
  }
  for (sockaddr_storage& entry : found) {
    if (entry.ss_family == AF_INET6) {
      reinterpret_cast<sockaddr_in6&>(entry).sin6_port = htons(port);
    } else {
      reinterpret_cast<sockaddr_in&>(entry).sin_port = htons(port);
    }
  }
  if (found.empty()) return false;
  addresses_ = std::move(found);
  log("Server address %s", address_text(addresses_.front()).c_str());
  return true;
}

void CommsLink::connect() {
  if (!started_ || thread_.joinable()) return;
  {
    std::lock_guard guard(send_mutex_);
    connecting_ = true;
    closed_ = false;
    rm_received_ = false;
    write_error_ = 0;
  }
  thread_ = std::thread([this] { run(); });
}

void CommsLink::stop() {
  if (stop_pipe_[1] >= 0) {
    const char byte = 'S';
    [[maybe_unused]] const ssize_t ignored = ::write(stop_pipe_[1], &byte, 1);
  }
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard guard(send_mutex_);
    closed_ = true;
    connecting_ = false;
    held_.clear();
    held_bytes_ = 0;
  }
  for (int& end : stop_pipe_) {
    if (end >= 0) ::close(end);
    end = -1;
  }
  started_ = false;
}

int CommsLink::open_connection() {
  int error = EDESTADDRREQ;
  for (const sockaddr_storage& address : addresses_) {
    const int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
      error = errno;
      continue;
    }
    log("Connecting to %s", address_text(address).c_str());
    int result =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), address_length(address));
    if (result != 0 && errno == EINPROGRESS) {
      pollfd waits[2] = {{fd, POLLOUT, 0}, {stop_pipe_[0], POLLIN, 0}};
      const int ready = ::poll(waits, 2, static_cast<int>(config_.connect_timeout_ms));
      if (ready > 0 && (waits[1].revents & POLLIN)) {
        ::close(fd);
        return -ECANCELED;
      }
      int so_error = ETIMEDOUT;
      socklen_t size = sizeof so_error;
      if (ready > 0) ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &size);
      result = so_error == 0 ? 0 : -1;
      errno = so_error;
    }
    if (result == 0) {
      // Sends from other threads block, bounded by the send timeout.
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      timeval timeout{static_cast<time_t>(config_.send_timeout_ms / 1000),
                      static_cast<suseconds_t>((config_.send_timeout_ms % 1000) * 1000)};
      ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
      const int on = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      return fd;
    }
    error = errno;
    log("Connect failed, error %d (%s)", error, std::strerror(error));
    ::close(fd);
  }
  return -error;
}

void CommsLink::run() {
  const int fd = open_connection();
  if (fd == -ECANCELED) return;
  if (fd < 0) {
    {
      std::lock_guard guard(send_mutex_);
      connecting_ = false;
      closed_ = true;
      held_.clear();
      held_bytes_ = 0;
    }
    set_state(false, -fd);
    deliver_event(kEventConnected, static_cast<std::uint32_t>(-fd));
    return;
  }
  {
    std::lock_guard guard(send_mutex_);
    fd_ = fd;
    connecting_ = false;
  }
  set_state(true, 0);
  log("Connected");
  write_frame(fd, encode_frame(kInitialMessage, initial_message_body()));
  log("Sent IM");
  deliver_event(kEventConnected, 0);

  int error = 0;
  Ending ending = read_loop(fd, error);
  {
    std::lock_guard guard(send_mutex_);
    if (write_error_ != 0 && ending != Ending::kStopped) {
      ending = Ending::kWriteError;
      error = write_error_;
    }
    closed_ = true;
    fd_ = -1;
    held_.clear();
    held_bytes_ = 0;
    ::close(fd);
  }
  set_state(false, error);
  switch (ending) {
    case Ending::kStopped:
      log("Link stopped");
      break;
    case Ending::kClosed:
      log("Connection closed");
      deliver_event(kEventClosed, 0);
      break;
    case Ending::kReadError:
      log("Read error %d (%s)", error, std::strerror(error));
      deliver_event(kEventReadError, static_cast<std::uint32_t>(error));
      break;
    case Ending::kWriteError:
      log("Write error %d (%s)", error, std::strerror(error));
      deliver_event(kEventWriteError, static_cast<std::uint32_t>(error));
      break;
  }
}

CommsLink::Ending CommsLink::read_loop(int fd, int& error) {
  std::vector<std::uint8_t> pending;
  std::uint8_t chunk[16384];
  Clock::time_point stalled_since{};
  while (true) {
    pollfd waits[2] = {{fd, POLLIN, 0}, {stop_pipe_[0], POLLIN, 0}};
    const int ready = ::poll(waits, 2, 200);
    if (ready < 0 && errno != EINTR) {
      error = errno;
      return Ending::kReadError;
    }
    if (waits[1].revents & POLLIN) return Ending::kStopped;
    if (waits[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n == 0) return Ending::kClosed;
      if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) continue;
        error = errno;
        return Ending::kReadError;
      }
      const bool was_empty = pending.empty();
      pending.insert(pending.end(), chunk, chunk + n);
      std::size_t used = 0;
      bool open = true;
      while (open && pending.size() - used >= kHeaderBytes) {
        const std::uint8_t type = pending[used];
        if (type > kErrorMessage) {
          log("Received message of unknown type %u", type);
          refuse(fd, kUnknownMessageType, "unknown message type");
          return Ending::kClosed;
        }
        const std::size_t size = read_big_endian(&pending[used + 2]);
        if (pending.size() - used < kHeaderBytes + size) break;
        const auto first = pending.begin() + static_cast<std::ptrdiff_t>(used + kHeaderBytes);
        std::vector<std::uint8_t> body(first, first + static_cast<std::ptrdiff_t>(size));
        used += kHeaderBytes + size;
        open = handle_frame(fd, type, std::move(body));
      }
      pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
      if (!open) return Ending::kClosed;
      // The stall clock runs from the first byte of the message still incomplete.
      if (used > 0 || was_empty) stalled_since = Clock::now();
    }
    {
      std::lock_guard guard(send_mutex_);
      if (write_error_ != 0) return Ending::kWriteError;
    }
    // A message begun and never finished would hold the link forever.
    if (!pending.empty() &&
        Clock::now() - stalled_since > std::chrono::milliseconds(config_.stall_timeout_ms)) {
      log("Message incomplete after %u ms: %zu bytes of it received", config_.stall_timeout_ms,
          pending.size());
      refuse(fd, kMessageTooShort, "message shorter than its header says");
      return Ending::kClosed;
    }
  }
}

bool CommsLink::handle_frame(int fd, std::uint8_t type, std::vector<std::uint8_t> body) {
  log("Received %s, %zu bytes", type_name(type), body.size());
  bool rm_received;
  {
    std::lock_guard guard(send_mutex_);
    rm_received = rm_received_;
  }
  switch (type) {
    case kInitialMessage:
      deliver(kInitialMessage, body);
      refuse(fd, kImFromServer, "IM sent by the server");
      return false;
    case kRepresentationMessage: {
      if (rm_received) {
        refuse(fd, kRmRepeated, "more than one RM");
        return false;
      }
      // Entries reach the bot as the token's low byte, its high byte, then the name.
      for (std::size_t i = 0; i + kRepresentationEntryBytes <= body.size();
           i += kRepresentationEntryBytes) {
        std::swap(body[i], body[i + 1]);
      }
      // Released before the delivery, so that whatever the bot sends on hearing of the
      // RM goes straight out behind the messages held so far.
      release_held_messages(fd);
      deliver(kRepresentationMessage, body);
      return true;
    }
    case kDiplomacyMessage:
      if (!rm_received) {
        refuse(fd, kRmNotFirst, "DM before the RM");
        return false;
      }
      if (body.size() % 2 != 0) {
        refuse(fd, kMessageTooShort, "DM with an odd number of bytes");
        return false;
      }
      diplomacy_body_to_host(body);
      deliver(kDiplomacyMessage, body);
      return true;
    case kFinalMessage:
      deliver(kFinalMessage, body);
      return false;
    default: {
      std::uint16_t code = body.size() >= 2 ? read_big_endian(body.data()) : 0;
      log("Error code %u", code);
      std::vector<std::uint8_t> host(2);
      std::memcpy(host.data(), &code, 2);
      deliver(kErrorMessage, host);
      return false;
    }
  }
}

void CommsLink::refuse(int fd, std::uint16_t code, const char* why) {
  log("Sending EM %u: %s", code, why);
  write_frame(fd, encode_frame(kErrorMessage, error_message_body(static_cast<ErrorCode>(code))));
}

bool CommsLink::write_frame(int fd, const std::vector<std::uint8_t>& frame) {
  std::size_t sent = 0;
  while (sent < frame.size()) {
    const ssize_t n = ::send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

void CommsLink::release_held_messages(int fd) {
  std::lock_guard guard(send_mutex_);
  rm_received_ = true;
  while (!held_.empty()) {
    log("Sent held DM, %zu bytes", held_.front().size() - kHeaderBytes);
    if (!write_frame(fd, held_.front()) && write_error_ == 0) {
      write_error_ = errno;
      ::shutdown(fd, SHUT_RDWR);
    }
    held_.pop_front();
  }
  held_bytes_ = 0;
}

bool CommsLink::send_message(const std::uint8_t* buffer, std::uint32_t length) {
  if (buffer == nullptr || length < kHeaderBytes || buffer[0] != kDiplomacyMessage) return false;
  std::vector<std::uint8_t> body(buffer + kHeaderBytes, buffer + length);
  if (body.size() % 2 != 0 || body.size() > kMaxBodyBytes) return false;
  diplomacy_body_to_wire(body);
  std::vector<std::uint8_t> frame = encode_frame(kDiplomacyMessage, body);

  std::lock_guard guard(send_mutex_);
  if (!started_ || closed_ || write_error_ != 0) return false;
  if (connecting_ || fd_ < 0 || !rm_received_) {
    if (held_bytes_ + frame.size() > config_.max_held_bytes) return false;
    held_bytes_ += frame.size();
    held_.push_back(std::move(frame));
    log("Holding DM, %zu bytes, until the RM", body.size());
    return true;
  }
  if (!write_frame(fd_, frame)) {
    // The receive thread reports the write error and closes.
    write_error_ = errno == 0 ? EIO : errno;
    ::shutdown(fd_, SHUT_RDWR);
    return false;
  }
  log("Sent DM, %zu bytes", body.size());
  return true;
}

void CommsLink::deliver(std::uint8_t kind, const std::vector<std::uint8_t>& body) {
  if (!config_.deliver_control_messages && kind != kDiplomacyMessage) return;
  std::vector<std::uint8_t> buffer(kHeaderBytes + body.size());
  buffer[0] = kind;
  const auto size = static_cast<std::uint16_t>(body.size());
  std::memcpy(&buffer[2], &size, 2);
  if (!body.empty()) std::memcpy(&buffer[kHeaderBytes], body.data(), body.size());
  config_.receive_callback(buffer.data(), static_cast<std::uint32_t>(buffer.size()), sequence_++);
}

void CommsLink::deliver_event(std::uint16_t event, std::uint32_t code) {
  if (!config_.deliver_local_events) return;
  std::uint8_t buffer[10] = {kLocalEvent, 0, 0, 0};
  std::memcpy(&buffer[4], &code, 4);
  std::memcpy(&buffer[8], &event, 2);
  config_.receive_callback(buffer, sizeof buffer, sequence_++);
}

void CommsLink::set_state(bool connected, int error) {
  if (config_.link_state != nullptr) *config_.link_state = connected ? 1 : 0;
  if (config_.last_error != nullptr && error != 0) {
    *config_.last_error = static_cast<std::uint32_t>(error);
  }
}

void CommsLink::log(const char* format, ...) {
  std::lock_guard guard(log_mutex_);
  if (log_file_ == nullptr) return;
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  ::localtime_r(&seconds, &local);
  char stamp[16];
  std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
  std::fprintf(log_file_, "%s.%03d ", stamp, static_cast<int>(millis));
  std::va_list args;
  va_start(args, format);
  std::vfprintf(log_file_, format, args);
  va_end(args);
  std::fputc('\n', log_file_);
  std::fflush(log_file_);
}

CommsLink& process_link() {
  static CommsLink link;
  return link;
}

}  // namespace quorvel::platform

quorvel::platform::CommsConfig* dcsp_configure(const char* config_file_name) {
  return quorvel::platform::process_link().configure(config_file_name);
}

int dcsp_start(quorvel::platform::CommsConfig* config) {
  return quorvel::platform::process_link().start(config) ? 1 : 0;
}

int dcsp_convert_address(const char* address, int is_host_name, std::uint16_t port) {
  return quorvel::platform::process_link().convert_address(address, is_host_name != 0, port) ? 1
                                                                                             : 0;
}

int dcsp_client_connect() {
  quorvel::platform::process_link().connect();
  return 1;
}

int dcsp_client_send_message(const std::uint8_t* buffer, std::uint32_t length) {
  return quorvel::platform::process_link().send_message(buffer, length) ? 1 : 0;
}

void dcsp_stop() {
  quorvel::platform::process_link().stop();
}
