// Incoming messages to handlers, the join and rejoin handshakes, and the standard answers.
#include <cstring>

#include "base/logs.h"
#include "game/game_board.h"
#include "platform/dialog_window.h"
#include "protocol/press.h"
#include "protocol/token_text_table.h"
#include "protocol/tokens.h"
#include "shell/bot_base.h"

namespace quorvel {

using namespace tok;

void BotBase::DispatchMessage(const std::uint8_t* body, std::uint32_t length) {
  const int n = static_cast<int>(length / 2);
  std::vector<std::uint16_t> words(static_cast<std::size_t>(n));
  if (n > 0) std::memcpy(words.data(), body, static_cast<std::size_t>(n) * 2);

  if (n >= 1 && Token(words[0]) == PRN) {
    OnPRN(body, length);
    return;
  }
  TokenMessage msg;
  msg.set_from_words(words.data(), n);
  LogTraffic(TrafficDirection::kIncoming, msg);
  if (!msg.sub_message_is_single_token(0)) {
    LogError("Illegal message received");
    return;
  }

  const Token first = msg.first_token();
  if (first == HLO) {
    ProcessHello(msg);
  } else if (first == MAP) {
    ProcessMap(msg);
  } else if (first == MDF) {
    ProcessMapDefinition(msg);
  } else if (first == NOW) {
    game->set_position(msg);
    OnNOW(msg);
  } else if (first == ORD) {
    OnORD(msg);
  } else if (first == SCO) {
    game->set_centres(msg);
    OnSCO(msg);
  } else if (first == NOT || first == REJ || first == YES) {
    DispatchAnswer(msg);
  } else if (first == CCD) {
    const Token power = msg.sub_message(1).first_token();
    const bool newly = civilDisorderPowers.insert(power).second;
    OnCCD(msg, newly);
  } else if (first == DRW) {
    game->game_over = true;
    OnDRW(msg);
  } else if (first == FRM) {
    OnFRM(msg);
  } else if (first == HUH) {
    OnHUH(msg);
  } else if (first == LOD) {
    OnLOD(msg);
  } else if (first == MIS) {
    OnMIS(msg);
  } else if (first == OFF) {
    offReceived = true;
    OnOFF(msg);
  } else if (first == OUT) {
    OnOUT(msg);
  } else if (first == SLO) {
    game->game_over = true;
    OnSLO(msg);
  } else if (first == SMR) {
    OnSMR(msg);
  } else if (first == SVE) {
    OnSVE(msg);
  } else if (first == THX) {
    OnTHX(msg);
  } else if (first == TME) {
    OnTME(msg);
  } else if (first == ADM) {
    OnADM(msg);
  } else {
    LogError("Unexpected first token in message : %s", Text(msg).c_str());
  }
}

void BotBase::DispatchAnswer(const TokenMessage& msg) {
  const Token answer = msg.first_token();
  const TokenMessage inner = msg.sub_message(1);
  const Token key = inner.first_token();
  const TokenMessage arg = inner.sub_message(1);

  if (answer == NOT) {
    if (key == CCD) {
      const bool was = civilDisorderPowers.erase(arg.first_token()) != 0;
      OnNotCCD(msg, arg, was);
    } else if (key == TME) {
      OnNotTME(msg, arg);
    } else {
      OnNotOther(msg);
    }
  } else if (answer == REJ) {
    if (key == NME) {
      OnRejNME(msg, arg);
    } else if (key == IAM) {
      OnRejIAM(msg, arg);
    } else if (key == HLO) {
      OnRejHLO(msg, arg);
    } else if (key == NOW) {
      OnRejNOW(msg, arg);
    } else if (key == SCO) {
      OnRejSCO(msg, arg);
    } else if (key == HST) {
      OnRejHST(msg, arg);
    } else if (key == SUB) {
      OnRejSUB(msg, arg);
    } else if (key == NOT) {
      DispatchAnswerToNot(REJ, msg, arg);
    } else if (key == GOF) {
      OnRejGOF(msg, arg);
    } else if (key == ORD) {
      OnRejORD(msg, arg);
    } else if (key == TME) {
      OnRejTME(msg, arg);
    } else if (key == DRW) {
      OnRejDRW(msg, arg);
    } else if (key == SND) {
      OnRejSND(msg, arg);
    } else if (key == ADM) {
      OnRejADM(msg, arg);
    } else if (key == MIS) {
      OnRejMIS(msg, arg);
    } else {
      OnRejOther(msg);
    }
  } else {
    if (key == NME) {
      OnYesNME(msg, arg);
    } else if (key == OBS) {
      OnYesOBS(msg, arg);
    } else if (key == IAM) {
      OnYesIAM(msg, arg);
    } else if (key == NOT) {
      DispatchAnswerToNot(YES, msg, arg);
    } else if (key == GOF) {
      OnYesGOF(msg, arg);
    } else if (key == TME) {
      OnYesTME(msg, arg);
    } else if (key == DRW) {
      OnYesDRW(msg, arg);
    } else if (key == SND) {
      OnYesSND(msg, arg);
    } else {
      OnYesOther(msg);
    }
  }
}

// REJ ( NOT ( ... ) ) and YES ( NOT ( ... ) ): inner is the inside of the NOT.
void BotBase::DispatchAnswerToNot(Token answer, const TokenMessage& msg,
                                  const TokenMessage& inner) {
  const Token key = inner.first_token();
  const TokenMessage arg = inner.sub_message(1);
  if (answer == REJ) {
    if (key == GOF) {
      OnRejNotGOF(msg, arg);
    } else if (key == DRW) {
      OnRejNotDRW(msg, arg);
    } else {
      OnRejNotOther(msg);
    }
  } else {
    if (key == GOF) {
      OnYesNotGOF(msg, arg);
    } else if (key == DRW) {
      OnYesNotDRW(msg, arg);
    } else if (key == SUB) {
      OnYesNotSUB(msg, arg);
    } else {
      OnYesNotOther(msg);
    }
  }
}

void BotBase::ProcessHello(const TokenMessage& msg) {
  game->set_own_power(msg.sub_message(1).first_token());
  game->passcode = msg.sub_message(2).first_token().number();
  OnHLO(msg);
}

void BotBase::ProcessMap(const TokenMessage& msg) {
  std::string name = Text(msg.sub_message(1));
  const std::size_t first = name.find('\'');
  const std::size_t last = name.rfind('\'');
  if (first != std::string::npos && first < last) name = name.substr(first + 1, last - first - 1);
  game->map_name = name;
  Send(TokenMessage(MDF));
  storedMapMessage = msg;
  OnMAP(msg);
}

void BotBase::ProcessMapDefinition(const TokenMessage& msg) {
  const int position = game->set_map(msg);
  if (position != -1) {
    LogError("Failed to set map - Error location %d", position);
    // Accepting a map it cannot play would lose the seat while the server counts it as
    // played; refused, the server can give the seat to someone else.
    game->forget_map();
    if (!rejoining) Send(REJ & storedMapMessage);
    rejoining = false;
    return;
  }
  OnMDF(msg);
  if (!rejoining) {
    Send(YES & storedMapMessage);
  } else {
    Send(TokenMessage(HLO));
    Send(TokenMessage(ORD));
    Send(TokenMessage(SCO));
    Send(TokenMessage(NOW));
    rejoining = false;
  }
}

void BotBase::RequestMap() {
  rejoining = true;
  Send(TokenMessage(MAP));
}

void BotBase::SendName(const std::string& name, const std::string& version) {
  TokenMessage name_text;
  TokenMessage version_text;
  name_text.parse_text("'" + name + "'", tokens_);
  version_text.parse_text("'" + version + "'", tokens_);
  Send(NME & name_text & version_text);
}

void BotBase::SubmitOrders() {
  const TokenMessage submission = game->build_submission();
  if (submission.length() > 1) Send(submission);
}

// Base handlers.

bool BotBase::HandleOption(char, const std::string&) {
  return false;
}
std::string BotBase::ExtraUsage() {
  return "";
}
void BotBase::SendInitialMessage() {
  Send(TokenMessage(OBS));
}
void BotBase::OnCCD(const TokenMessage&, bool) {}
void BotBase::OnDRW(const TokenMessage&) {}

void BotBase::OnFRM(const TokenMessage& msg) {
  const Token sender = msg.sub_message(1).first_token();
  const TokenMessage press = msg.sub_message(3);
  const Token kind = press.token_at(0);
  if (kind == HUH || kind == TRY) return;
  // With the turn: some servers read no other form of SND.
  const TokenMessage to(sender);
  Send(press::send_message(game->season, game->year, to, HUH & (ERR + press)));
  Send(press::send_message(game->season, game->year, to, TRY & TokenMessage()));
}

void BotBase::OnHUH(const TokenMessage& msg) {
  LogError("HUH message received : %s", Text(msg).c_str());
}

void BotBase::OnLOD(const TokenMessage& msg) {
  Send(REJ & msg);
}
void BotBase::OnMIS(const TokenMessage&) {}

void BotBase::OnOFF(const TokenMessage&) {
  MarkDisconnected();
  if (window != nullptr) window->EndDialog(platform::kCancel);
}

void BotBase::OnOUT(const TokenMessage&) {}

void BotBase::OnPRN(const std::uint8_t* body, std::uint32_t length) {
  // Words the message lacks show as the end marker.
  unsigned words[4];
  for (std::uint32_t i = 0; i < 4; ++i) {
    std::uint16_t word = END_OF_MESSAGE.value();
    if (2 * i + 2 <= length) std::memcpy(&word, body + 2 * i, 2);
    words[i] = word;
  }
  LogError("PRN message received. Starts %.4X %.4X %.4X %.4X", words[0], words[1], words[2],
           words[3]);
}

void BotBase::OnSMR(const TokenMessage&) {}
void BotBase::OnSVE(const TokenMessage& msg) {
  Send(YES & msg);
}

void BotBase::OnTHX(const TokenMessage& msg) {
  const TokenMessage order = msg.sub_message(1);
  const TokenMessage unit = order.sub_message(0).enclose();
  const TokenMessage note_element = msg.sub_message(2);
  const Token note = note_element.token_at(0);

  TokenMessage replacement;
  if (note == FAR || note == NSP || note == NSU || note == NAS || note == NSF || note == NSA) {
    replacement = unit + HLD;
  } else if (note == NVR) {
    replacement = unit + DSB;
  } else if (note == YSC || note == ESC || note == HSC || note == NSC || note == CST) {
    replacement = order.sub_message(0).token_at(0) + WVE;
  }

  if (!replacement.is_empty() && replacement != order) {
    LogError("THX returned %s for order '%s'. Replacing with '%s'", Text(note_element).c_str(),
             Text(order).c_str(), Text(replacement).c_str());
    Send(SUB & replacement);
  } else if (note != MBV) {
    LogError("THX returned %s for order '%s'. No replacement order sent.",
             Text(note_element).c_str(), Text(order).c_str());
  }
}

void BotBase::OnTME(const TokenMessage&) {}
void BotBase::OnADM(const TokenMessage&) {}
void BotBase::OnNotCCD(const TokenMessage&, const TokenMessage&, bool) {}
void BotBase::OnNotTME(const TokenMessage&, const TokenMessage&) {}

void BotBase::OnRejNME(const TokenMessage&, const TokenMessage&) {
  Token power;
  std::int32_t passcode = 0;
  if (GetRejoinIdentity(power, passcode)) {
    Send(IAM & power & Token::from_number(passcode));
  } else {
    MarkDisconnected();
  }
}

bool BotBase::GetRejoinIdentity(Token& power, std::int32_t& passcode) {
  if (!options.rejoinGiven) return false;
  // A power the token table does not know cannot be named to the server.
  const auto token = tokens_.token_of(options.rejoinPower);
  if (!token) return false;
  power = *token;
  passcode = options.rejoinPasscode;
  return true;
}

void BotBase::LogRefusal(const char* command, const TokenMessage& msg) {
  LogError("REJ( %s ) message received : %s", command, Text(msg).c_str());
}

void BotBase::OnRejIAM(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("IAM()", msg);
}
void BotBase::OnRejHLO(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("HLO()", msg);
}
void BotBase::OnRejNOW(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("NOW()", msg);
}
void BotBase::OnRejSCO(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("SCO()", msg);
}
void BotBase::OnRejHST(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("HST()", msg);
}
void BotBase::OnRejSUB(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("SUB()", msg);
}
void BotBase::OnRejGOF(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("GOF()", msg);
}
void BotBase::OnRejORD(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("ORD()", msg);
}
void BotBase::OnRejTME(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("TME()", msg);
}
void BotBase::OnRejDRW(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("DRW()", msg);
}
void BotBase::OnRejSND(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("SND()", msg);
}
void BotBase::OnRejADM(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnRejMIS(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnRejNotGOF(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("NOT( GOF() )", msg);
}
void BotBase::OnRejNotDRW(const TokenMessage& msg, const TokenMessage&) {
  LogRefusal("NOT( DRW() )", msg);
}
void BotBase::OnYesNME(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesOBS(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesIAM(const TokenMessage&, const TokenMessage&) {
  RequestMap();
}
void BotBase::OnYesGOF(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesTME(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesDRW(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesSND(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesNotGOF(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesNotDRW(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnYesNotSUB(const TokenMessage&, const TokenMessage&) {}
void BotBase::OnNotOther(const TokenMessage&) {}
void BotBase::OnRejOther(const TokenMessage&) {}
void BotBase::OnRejNotOther(const TokenMessage&) {}
void BotBase::OnYesOther(const TokenMessage&) {}
void BotBase::OnYesNotOther(const TokenMessage&) {}
void BotBase::OnHLO(const TokenMessage&) {}
void BotBase::OnMAP(const TokenMessage&) {}
void BotBase::OnMDF(const TokenMessage&) {}
void BotBase::OnORD(const TokenMessage&) {}
void BotBase::OnSCO(const TokenMessage&) {}
void BotBase::OnNOW(const TokenMessage&) {}
void BotBase::OnSLO(const TokenMessage&) {}
void BotBase::OnPressNotDelivered(const TokenMessage&, const TokenMessage&, const TokenMessage&) {}
void BotBase::OnConnectFailed() {}
void BotBase::OnDisconnected() {
  platform::ShowMessageBox("Server Disconnected");
}

}  // namespace quorvel
