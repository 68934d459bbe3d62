#include "platform/comms_link.h"

#include <chrono>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/daide_framing.h"
#include "platform/frame_reader.h"

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

// A failed send with no error of its own (a zero-byte send) still ends the link.
int failed_write_error() {
  const int error = os::last_socket_error();
  return error == 0 ? os::io_error() : error;
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
  stop_ = std::make_unique<os::Wakeup>();
  if (!stop_->valid()) return false;
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
  std::vector<os::SocketAddress> found;
  if (is_host_name) {
    found = os::resolve_host(address, port);
    if (found.empty()) {
      log("Cannot resolve host name '%s'", address);
      return false;
    }
  } else if (const auto numeric = os::numeric_address(address, port)) {
    found.push_back(*numeric);
  } else {
    log("Bad numeric address '%s'", address);
    return false;
  }
  addresses_ = std::move(found);
  log("Server address %s", os::address_text(addresses_.front()).c_str());
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
  if (stop_) stop_->signal('S');
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard guard(send_mutex_);
    closed_ = true;
    connecting_ = false;
    held_.clear();
    held_bytes_ = 0;
  }
  stop_.reset();
  started_ = false;
}

os::Socket CommsLink::open_connection(int& error, bool& cancelled) {
  error = os::no_address_error();
  cancelled = false;
  for (const os::SocketAddress& address : addresses_) {
    const os::Socket socket = os::open_stream_socket(address);
    if (socket == os::kNoSocket) {
      error = os::last_socket_error();
      continue;
    }
    log("Connecting to %s", os::address_text(address).c_str());
    const os::ConnectOutcome outcome =
        os::connect_socket(socket, address, config_.connect_timeout_ms, stop_->handle(), error);
    if (outcome == os::ConnectOutcome::kConnected) {
      // Sends from other threads block, bounded by the send timeout.
      os::set_send_timeout(socket, config_.send_timeout_ms);
      os::set_no_delay(socket);
      return socket;
    }
    os::close_socket(socket);
    if (outcome == os::ConnectOutcome::kCancelled) {
      cancelled = true;
      return os::kNoSocket;
    }
    log("Connect failed, error %d (%s)", error, os::error_text(error).c_str());
  }
  return os::kNoSocket;
}

void CommsLink::run() {
  int connect_error = 0;
  bool cancelled = false;
  const os::Socket fd = open_connection(connect_error, cancelled);
  if (cancelled) return;
  if (fd == os::kNoSocket) {
    {
      std::lock_guard guard(send_mutex_);
      connecting_ = false;
      closed_ = true;
      held_.clear();
      held_bytes_ = 0;
    }
    set_state(false, connect_error);
    deliver_event(kEventConnected, static_cast<std::uint32_t>(connect_error));
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
    fd_ = os::kNoSocket;
    held_.clear();
    held_bytes_ = 0;
    os::close_socket(fd);
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
      log("Read error %d (%s)", error, os::error_text(error).c_str());
      deliver_event(kEventReadError, static_cast<std::uint32_t>(error));
      break;
    case Ending::kWriteError:
      log("Write error %d (%s)", error, os::error_text(error).c_str());
      deliver_event(kEventWriteError, static_cast<std::uint32_t>(error));
      break;
  }
}

CommsLink::Ending CommsLink::read_loop(os::Socket fd, int& error) {
  FrameReader pending;
  std::uint8_t chunk[16384];
  Clock::time_point stalled_since{};
  while (true) {
    os::SocketWait waits[2];
    waits[0].socket = fd;
    waits[0].read = true;
    waits[1].socket = stop_->handle();
    waits[1].read = true;
    if (os::wait_sockets(waits, 200) < 0) {
      error = os::last_socket_error();
      return Ending::kReadError;
    }
    if (waits[1].readable) return Ending::kStopped;
    if (waits[0].readable) {
      const long n = os::receive_bytes(fd, chunk, sizeof chunk);
      if (n == 0) return Ending::kClosed;
      if (n < 0) {
        if (os::is_transient(os::last_socket_error())) continue;
        error = os::last_socket_error();
        return Ending::kReadError;
      }
      const bool was_empty = pending.buffered() == 0;
      pending.append(chunk, static_cast<std::size_t>(n));
      bool taken = false;
      bool open = true;
      FrameReader::Frame frame;
      FrameReader::Status status = FrameReader::Status::kIncomplete;
      while (open && (status = pending.next(frame)) == FrameReader::Status::kFrame) {
        taken = true;
        open = handle_frame(fd, frame.type, {frame.body, frame.body + frame.size});
      }
      if (status == FrameReader::Status::kUnknownType) {
        log("Received message of unknown type %u", *pending.next_type());
        refuse(fd, kUnknownMessageType, "unknown message type");
        return Ending::kClosed;
      }
      if (!open) return Ending::kClosed;
      // The stall clock runs from the first byte of the message still incomplete.
      if (taken || was_empty) stalled_since = Clock::now();
    }
    {
      std::lock_guard guard(send_mutex_);
      if (write_error_ != 0) return Ending::kWriteError;
    }
    // A message begun and never finished would hold the link forever.
    if (pending.buffered() > 0 &&
        Clock::now() - stalled_since > std::chrono::milliseconds(config_.stall_timeout_ms)) {
      log("Message incomplete after %u ms: %zu bytes of it received", config_.stall_timeout_ms,
          pending.buffered());
      refuse(fd, kMessageTooShort, "message shorter than its header says");
      return Ending::kClosed;
    }
  }
}

bool CommsLink::handle_frame(os::Socket fd, std::uint8_t type, std::vector<std::uint8_t> body) {
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

void CommsLink::refuse(os::Socket fd, std::uint16_t code, const char* why) {
  log("Sending EM %u: %s", code, why);
  write_frame(fd, encode_frame(kErrorMessage, error_message_body(static_cast<ErrorCode>(code))));
}

bool CommsLink::write_frame(os::Socket fd, const std::vector<std::uint8_t>& frame) {
  std::size_t sent = 0;
  while (sent < frame.size()) {
    const long n = os::send_bytes(fd, frame.data() + sent, frame.size() - sent);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

void CommsLink::release_held_messages(os::Socket fd) {
  std::lock_guard guard(send_mutex_);
  rm_received_ = true;
  while (!held_.empty()) {
    log("Sent held DM, %zu bytes", held_.front().size() - kHeaderBytes);
    if (!write_frame(fd, held_.front()) && write_error_ == 0) {
      write_error_ = failed_write_error();
      os::shutdown_socket(fd);
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
  if (connecting_ || fd_ == os::kNoSocket || !rm_received_) {
    if (held_bytes_ + frame.size() > config_.max_held_bytes) return false;
    held_bytes_ += frame.size();
    held_.push_back(std::move(frame));
    log("Holding DM, %zu bytes, until the RM", body.size());
    return true;
  }
  if (!write_frame(fd_, frame)) {
    // The receive thread reports the write error and closes.
    write_error_ = failed_write_error();
    os::shutdown_socket(fd_);
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
  const std::tm local = os::local_time(seconds);
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
