#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/logs.h"
#include "base/trace.h"
#include "game/game_board.h"
#include "protocol/token.h"
#include "protocol/token_message.h"
#include "shell/start_options.h"

namespace quorvel {

namespace platform {
class DialogWindow;
}

struct QueuedMessage {
  std::vector<std::uint8_t> data;  // an owned copy of the delivered bytes
  std::uint32_t length = 0;
  std::uint32_t value = 0;  // passed by the link with each delivery; not interpreted
};

// Where a bot's messages go when it plays a game in this process instead of over the link.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void deliver(const TokenMessage& message) = 0;
};

// The base bot: the link to the server, the dispatch of incoming messages to virtual
// handlers, and the standard answers every client owes the server. It joins as an
// observer; a playing bot overrides the handlers it needs.
class BotBase {
 public:
  // The process's bot on the comms link, playing on a board of its own.
  BotBase();
  // A bot on the board given; only the process's bot receives from the comms link and
  // writes log files (the others' logs and trace are closed).
  BotBase(GameBoard& board, bool process_bot);
  virtual ~BotBase();
  BotBase(const BotBase&) = delete;
  BotBase& operator=(const BotBase&) = delete;

  // The bot's error and traffic logs ("errorlog.txt", "tcpiplog.txt") and its trace.
  LogFiles& logs() { return logs_; }
  TraceLog& trace() { return trace_; }
  const TokenTextTable& tokens() const { return tokens_; }

  // Handlers, in slot order.
  virtual bool Start(const StartOptions& options, platform::DialogWindow* window);
  virtual bool HandleOption(char letter, const std::string& argument);
  virtual std::string ExtraUsage();
  virtual void SendInitialMessage();
  virtual void OnCCD(const TokenMessage& msg, bool newly);
  virtual void OnDRW(const TokenMessage& msg);
  virtual void OnFRM(const TokenMessage& msg);
  virtual void OnHUH(const TokenMessage& msg);
  virtual void OnLOD(const TokenMessage& msg);
  virtual void OnMIS(const TokenMessage& msg);
  virtual void OnOFF(const TokenMessage& msg);
  virtual void OnOUT(const TokenMessage& msg);
  virtual void OnPRN(const std::uint8_t* body, std::uint32_t length);
  virtual void OnSMR(const TokenMessage& msg);
  virtual void OnSVE(const TokenMessage& msg);
  virtual void OnTHX(const TokenMessage& msg);
  virtual void OnTME(const TokenMessage& msg);
  virtual void OnADM(const TokenMessage& msg);
  virtual void OnNotCCD(const TokenMessage& msg, const TokenMessage& arg, bool was);
  virtual void OnNotTME(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejNME(const TokenMessage& msg, const TokenMessage& arg);
  virtual bool GetRejoinIdentity(Token& power, std::int32_t& passcode);
  virtual void OnRejIAM(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejHLO(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejNOW(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejSCO(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejHST(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejSUB(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejGOF(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejORD(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejTME(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejDRW(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejSND(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejADM(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejMIS(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejNotGOF(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnRejNotDRW(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesNME(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesOBS(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesIAM(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesGOF(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesTME(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesDRW(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesSND(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesNotGOF(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesNotDRW(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnYesNotSUB(const TokenMessage& msg, const TokenMessage& arg);
  virtual void OnNotOther(const TokenMessage& msg);
  virtual void OnRejOther(const TokenMessage& msg);
  virtual void OnRejNotOther(const TokenMessage& msg);
  virtual void OnYesOther(const TokenMessage& msg);
  virtual void OnYesNotOther(const TokenMessage& msg);
  virtual void OnHLO(const TokenMessage& msg);
  virtual void OnMAP(const TokenMessage& msg);
  virtual void OnMDF(const TokenMessage& msg);
  virtual void OnORD(const TokenMessage& msg);
  virtual void OnSCO(const TokenMessage& msg);
  virtual void OnNOW(const TokenMessage& msg);
  virtual void OnSLO(const TokenMessage& msg);
  virtual void OnPressNotDelivered(const TokenMessage& msg, const TokenMessage& recipients,
                                   const TokenMessage& press);
  virtual void OnConnectFailed();
  virtual void OnDisconnected();

  // The link's receive callback; runs on the link's thread.
  static void OnReceive(const std::uint8_t* data, std::uint32_t length, std::uint32_t value);
  // Queues a wake-up of the bot's own (a timer's, from any thread): OnWake runs on the
  // window thread in its turn among the messages.
  void PostWake();
  virtual void OnWake() {}
  // Runs on the window thread when the queue notification arrives.
  void DrainQueue();

  void Send(const TokenMessage& message);
  // Plays in this process: every message sent goes to the sink.
  void ConnectInProcess(MessageSink& sink) {
    sink_ = &sink;
    connected = true;
  }
  void MarkDisconnected() { connected = false; }
  void RequestMap();
  void SendName(const std::string& name, const std::string& version);
  void SubmitOrders();
  // body: the 16-bit tokens in host order; length in bytes.
  void DispatchMessage(const std::uint8_t* body, std::uint32_t length);

  bool is_connected() const { return connected; }
  const GameBoard& board() const { return *game; }
  const StartOptions& start_options() const { return options; }
  const std::set<Token>& civil_disorder_powers() const { return civilDisorderPowers; }

 protected:
  void LogError(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void LogEvent(std::string_view text) { logs_.event(text); }
  void LogTraffic(TrafficDirection direction, const TokenMessage& message) {
    if (logs_.traffic_logging()) logs_.traffic(direction, Text(message));
  }
  // A message as this bot prints it: with its server's names.
  std::string Text(const TokenMessage& message) const { return message.to_text(tokens_); }
  void Trace(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // "REJ( command ) message received : ...".
  void LogRefusal(const char* command, const TokenMessage& msg);

  void HandleIncoming(const QueuedMessage& entry);
  void HandleLocalEvent(const std::uint8_t* data, std::uint32_t length);
  void HandleRepresentation(const std::uint8_t* body, std::uint32_t length);

  platform::DialogWindow* window = nullptr;
  GameBoard* game;
  std::deque<QueuedMessage> queue;
  std::mutex queueLock;
  bool connected = false;
  TokenMessage storedMapMessage;
  bool rejoining = false;
  // The server ended the session: the close that follows is no lost connection.
  bool offReceived = false;
  std::set<Token> civilDisorderPowers;
  StartOptions options;

 private:
  TokenTextTable tokens_;
  LogFiles logs_;
  TraceLog trace_;
  std::unique_ptr<GameBoard> own_board_;
  bool process_bot_;
  MessageSink* sink_ = nullptr;
  void DispatchAnswer(const TokenMessage& msg);
  void DispatchAnswerToNot(Token answer, const TokenMessage& msg, const TokenMessage& inner);
  void ProcessMap(const TokenMessage& msg);
  void ProcessMapDefinition(const TokenMessage& msg);
  void ProcessHello(const TokenMessage& msg);
};

}  // namespace quorvel
