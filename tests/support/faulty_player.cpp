// quorvel-faulty-player MODE PORT: a DAIDE client that fails as the arena's tests need,
// each writing its process id to pid.txt in its working folder:
//   never        never connects (and starts a child that sleeps too)
//   garbage      connects and sends bytes that are no DAIDE, then keeps the socket open
//   exit-at-hlo  joins and exits with status 3 when the game starts
//   silent-YEAR  joins and holds (disbands, waives, removes) until YEAR, then reads on
//                and never answers again
//   flood        holds to the end and sends a thousand press messages each phase
//   many         opens 200 connections that never speak, then joins and holds to the end
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "protocol/tokens.h"
#include "support/scripted_server.h"

namespace {

using namespace quorvel;
using namespace quorvel::tok;

void write_pid(const char* file) {
  std::ofstream(file) << ::getpid() << "\n";
}

[[noreturn]] void sleep_forever() {
  while (true)
    std::this_thread::sleep_for(std::chrono::hours(1));
}

// The unit of a NOW entry without its retreat options: ( power type place ).
TokenMessage unit_of(const TokenMessage& entry) {
  TokenMessage unit = TokenMessage(entry.sub_message(0)) + entry.sub_message(1);
  return entry.sub_message_is_single_token(2) ? unit + entry.sub_message(2)
                                              : unit & entry.sub_message(2);
}

// The orders that keep a power in the game: hold, disband, waive or remove.
TokenMessage orders(const TokenMessage& now, Token me, int centres) {
  const Token season = now.sub_message(1).first_token();
  TokenMessage sub(SUB);
  int units = 0;
  bool any = false;
  for (int i = 2; i < now.sub_message_count(); ++i) {
    const TokenMessage entry = now.sub_message(i);
    if (entry.first_token() != me) continue;
    ++units;
    const bool dislodged = entry.sub_message_count() > 3;
    TokenMessage order;
    if (season == SPR || season == FAL) {
      order = (TokenMessage() & unit_of(entry)) + HLD;
    } else if ((season == SUM || season == AUT) && dislodged) {
      order = (TokenMessage() & unit_of(entry)) + DSB;
    } else if (season == WIN && units > centres) {
      order = (TokenMessage() & unit_of(entry)) + REM;
    } else {
      continue;
    }
    sub = sub & order;
    any = true;
  }
  for (int i = units; season == WIN && i < centres; ++i) {
    sub = sub & (TokenMessage(me) + WVE);
    any = true;
  }
  return any ? sub : TokenMessage();
}

int centres_of(const TokenMessage& sco, Token me) {
  for (int i = 1; i < sco.sub_message_count(); ++i) {
    const TokenMessage entry = sco.sub_message(i);
    if (entry.first_token() == me) return entry.length() - 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quorvel-faulty-player MODE PORT\n");
    return 2;
  }
  const std::string mode = argv[1];
  const auto port = static_cast<std::uint16_t>(std::stoi(argv[2]));
  write_pid("pid.txt");
  if (mode == "never") {
    if (::fork() == 0) {
      write_pid("child-pid.txt");
      sleep_forever();
    }
    sleep_forever();
  }
  testing::ScriptedClient client;
  if (mode == "garbage") {
    if (!client.connect(port, false)) return 1;
    client.send_raw(std::vector<std::uint8_t>(64, 0xFF));
    sleep_forever();
  }
  std::vector<std::unique_ptr<testing::ScriptedClient>> idle;
  for (int i = 0; mode == "many" && i < 200; ++i) {
    idle.push_back(std::make_unique<testing::ScriptedClient>());
    idle.back()->connect(port, false);
  }
  if (!client.connect(port) || !client.join("Faulty")) return 1;
  const int silent_from = mode.rfind("silent-", 0) == 0 ? std::stoi(mode.substr(7)) : 100000;
  Token me;
  int centres = 0;
  while (true) {
    const TokenMessage message = client.read_message(3600 * 1000);
    if (message.is_empty()) return 0;
    const Token first = message.first_token();
    if (first == OFF) return 0;
    if (first == HLO) {
      if (mode == "exit-at-hlo") return 3;
      me = message.sub_message(1).first_token();
    }
    if (first == SCO) centres = centres_of(message, me);
    if (first != NOW) continue;
    if (message.sub_message(1).token_at(1).number() >= silent_from) continue;
    const TokenMessage sub = orders(message, me, centres);
    if (!sub.is_empty()) client.send_message(sub);
    for (int i = 0; mode == "flood" && i < 1000; ++i)
      client.send_message((SND & TokenMessage(Token(CATEGORY_POWER, (me.subtoken() + 1) % 7))) &
                          (PRP & (PCE & TokenMessage(me))));
  }
}
