// The bot's side of the server link: starting the comms library, the queue that hands
// deliveries from the link's thread to the window thread, local events, and sending.

#include <atomic>
#include <cstring>
#include <new>

#include "base/logs.h"
#include "base/trace.h"
#include "game/game_board.h"
#include "platform/comms_link.h"
#include "platform/daide_framing.h"
#include "platform/dialog_window.h"
#include "platform/os.h"
#include "protocol/token_text_table.h"
#include "shell/bot_base.h"

namespace quorvel {

namespace {

// The bot that plays over the comms link: the link's receive callback carries no bot.
std::atomic<BotBase*> process_bot{nullptr};

// A queue entry that no link delivers: the bot's own wake-up.
constexpr std::uint8_t kWakeEntry = 254;

// The link never reads these words; they only give it somewhere to write.
std::uint32_t link_state_word = 0;
std::uint32_t link_error_word = 0;

template <typename T>
T read_host(const std::uint8_t* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

}  // namespace

BotBase::BotBase() : own_board_(std::make_unique<GameBoard>()), process_bot_(true) {
  game = own_board_.get();
  game->tokens = &tokens_;
  process_bot.store(this);
}

BotBase::BotBase(GameBoard& board, bool is_process_bot)
    : game(&board), process_bot_(is_process_bot) {
  game->tokens = &tokens_;
  if (process_bot_) {
    process_bot.store(this);
  } else {
    logs_.close();
    trace_.switch_on(false);
  }
}

BotBase::~BotBase() {
  if (!process_bot_) return;
  BotBase* self = this;
  process_bot.compare_exchange_strong(self, nullptr);
}

void BotBase::LogError(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  logs_.verror(format, args);
  va_end(args);
}

void BotBase::Trace(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  trace_.vline(format, args);
  va_end(args);
}

bool BotBase::Start(const StartOptions& start_options, platform::DialogWindow* dialog) {
  options = start_options;
  window = dialog;
  if (!options.logLevelGiven) options.logLevel = 0;
  logs_.set_traffic_logging(options.logLevel > 0);
  trace_.switch_on(options.logLevel >= 2);

  bool result = false;
  platform::CommsConfig* config = dcsp_configure("tandril.cfg");
  config->client_mode = 1;
  config->server_mode = false;
  config->deliver_control_messages = true;
  config->deliver_local_events = true;
  config->receive_callback = &BotBase::OnReceive;
  config->reserved = 0;
  config->logging = options.logLevel > 0;
  config->log_level = static_cast<std::uint8_t>(options.logLevel & 0xFF);
  config->log_file_name = "tcpip_output.txt";
  config->link_state = &link_state_word;
  config->last_error = &link_error_word;
  if (dcsp_start(config) == 0) {
    LogError("Failed to start TCP/IP Server");
  } else {
    if (!options.ipGiven && !options.nameGiven) {
      options.address = platform::os::local_host_name();
      options.nameGiven = true;
    }
    if (!options.portGiven) options.port = platform::kDefaultPort;
    if (dcsp_convert_address(options.address.c_str(), options.nameGiven ? 1 : 0, options.port) ==
        0) {
      LogError("Bad TCP/IP address '%s'", options.address.c_str());
    } else {
      connected = true;
      dcsp_client_connect();
      SendInitialMessage();
      result = true;
    }
  }
  if (!result) connected = false;
  return result;
}

void BotBase::OnReceive(const std::uint8_t* data, std::uint32_t length, std::uint32_t value) {
  BotBase* bot = process_bot.load();
  if (bot == nullptr || data == nullptr) return;
  QueuedMessage entry;
  try {
    entry.data.assign(data, data + length);
  } catch (const std::bad_alloc&) {
    bot->LogError("Failed to allocate memory to queue message");
    return;
  }
  entry.length = length;
  entry.value = value;
  {
    std::lock_guard guard(bot->queueLock);
    bot->queue.push_back(std::move(entry));
  }
  if (bot->window != nullptr) bot->window->PostQueueNotification();
}

void BotBase::PostWake() {
  QueuedMessage entry;
  entry.data.assign(1, kWakeEntry);
  entry.length = 1;
  {
    std::lock_guard guard(queueLock);
    queue.push_back(std::move(entry));
  }
  if (window != nullptr) window->PostQueueNotification();
}

void BotBase::DrainQueue() {
  std::unique_lock lock(queueLock);
  while (!queue.empty()) {
    QueuedMessage entry = std::move(queue.front());
    queue.pop_front();
    lock.unlock();
    HandleIncoming(entry);
    lock.lock();
  }
}

void BotBase::HandleIncoming(const QueuedMessage& entry) {
  if (entry.length < 1 || entry.data.size() < entry.length) return;
  const std::uint8_t* data = entry.data.data();
  const std::uint32_t body_length = entry.length >= 4 ? entry.length - 4 : 0;
  switch (data[0]) {
    case platform::kInitialMessage:
      LogError("Error - Initial message received");
      LogEvent("Initial Message received");
      break;
    case platform::kRepresentationMessage:
      HandleRepresentation(data + 4, body_length);
      break;
    case platform::kDiplomacyMessage:
      DispatchMessage(data + 4, body_length);
      break;
    case platform::kFinalMessage:
      LogEvent("Final Message received");
      break;
    case platform::kErrorMessage: {
      const std::uint16_t code = body_length >= 2 ? read_host<std::uint16_t>(data + 4) : 0;
      LogEvent("Error Message received");
      LogError("Error Message Received. Error Code = %d", static_cast<int>(code));
      break;
    }
    case platform::kLocalEvent:
      HandleLocalEvent(data, entry.length);
      break;
    case kWakeEntry:
      OnWake();
      break;
    default:
      LogError("Unexpected Message type - %d", static_cast<int>(data[0]));
      break;
  }
}

void BotBase::HandleLocalEvent(const std::uint8_t* data, std::uint32_t length) {
  if (length < 10) return;
  const auto code = static_cast<std::int32_t>(read_host<std::uint32_t>(data + 4));
  const std::uint16_t event = read_host<std::uint16_t>(data + 8);
  char text[96];
  switch (event) {
    case platform::kEventConnected:
      LogEvent("Connected Message received");
      if (code == 0) {
        LogEvent("Connected OK");
      } else {
        LogEvent("Failed to connect to Server");
        platform::ShowMessageBox("Failed to connect to Server");
        LogError("Failed to connect to Server. Error code %d", code);
        connected = false;
        OnConnectFailed();
      }
      return;
    case platform::kEventOutOfMemory:
      LogEvent("Out of Memory Message received");
      LogError("Out of Memory");
      return;
    case platform::kEventReadError:
      std::snprintf(text, sizeof text, "Read Error Message received. Error code %d", code);
      LogEvent(text);
      break;
    case platform::kEventWriteError:
      std::snprintf(text, sizeof text, "Write Error Message received. Error code %d", code);
      LogEvent(text);
      break;
    case platform::kEventClosed:
      LogEvent("Close Message received");
      break;
    default:
      LogEvent("Unexpected Local Message received");
      LogError("Unexpected Local message event %d", static_cast<int>(event));
      return;
  }
  connected = false;
  if (!offReceived) OnDisconnected();
}

void BotBase::HandleRepresentation(const std::uint8_t* body, std::uint32_t length) {
  if (length == 0) return;
  TokenTextTable& table = tokens_;
  table.clear_powers_and_provinces();
  for (std::uint32_t at = 0; at + platform::kRepresentationEntryBytes <= length;
       at += platform::kRepresentationEntryBytes) {
    const Token token(static_cast<std::uint16_t>(body[at + 1] * 256 + body[at]));
    const std::uint8_t* name = body + at + 2;
    table.add(token, std::string(reinterpret_cast<const char*>(name),
                                 ::strnlen(reinterpret_cast<const char*>(name), 4)));
  }
}

void BotBase::Send(const TokenMessage& message) {
  LogTraffic(TrafficDirection::kOutgoing, message);
  if (!connected) {
    LogEvent("Message not sent - not connected");
    return;
  }
  if (sink_ != nullptr) {
    sink_->deliver(message);
    return;
  }
  const int n = message.length() < 0 ? 0 : message.length();
  // Room for the end marker after the tokens; it is not sent.
  std::vector<std::uint8_t> buffer(4 + 2 * static_cast<std::size_t>(n) + 2);
  buffer[0] = platform::kDiplomacyMessage;
  buffer[1] = 0;
  const auto body_bytes = static_cast<std::uint16_t>(2 * n);
  std::memcpy(&buffer[2], &body_bytes, 2);
  for (int i = 0; i <= n; ++i) {
    const std::uint16_t word = message.token_at(i).value();
    std::memcpy(&buffer[4 + 2 * static_cast<std::size_t>(i)], &word, 2);
  }
  if (dcsp_client_send_message(buffer.data(), static_cast<std::uint32_t>(4 + 2 * n)) == 0) {
    LogError("Failed to send message");
  }
}

}  // namespace quorvel
