// Reads arbitrary press as a server or a player would, at every level: what reads must
// print back token for token and need no more than the level it was read at.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/press.h"
#include "protocol/tokens.h"

namespace {

using namespace quorvel::tok;
using quorvel::Token;

// Mostly the tokens press is made of, so that the fuzzer reaches deep into it; any token
// at all from a byte above the table.
const Token kAlphabet[] = {BRA, BRA, BRA, KET, KET, KET, PRP, YES, REJ, BWX, HUH, CCL,
                           FCT, TRY, PCE, ALY, VSS, DRW, SLO, NOT, NAR, XDO, DMZ, AND,
                           ORR, ENG, FRA, GER, AUS, AMY, FLT, MTO, SUP, HLD, CVY, CTO,
                           VIA, RTO, DSB, BLD, REM, WVE, PAR, BUR, NTH, STP, NCS, ERR};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<Token> tokens;
  constexpr std::size_t kAlphabetSize = sizeof kAlphabet / sizeof kAlphabet[0];
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] < kAlphabetSize) {
      tokens.push_back(kAlphabet[data[i]]);
    } else if (i + 1 < size) {
      tokens.emplace_back(static_cast<std::uint16_t>(data[i] << 8 | data[i + 1]));
      ++i;
    }
  }
  quorvel::TokenMessage message;
  if (message.set_from_tokens(tokens.data(), static_cast<int>(tokens.size())) != -1) return 0;
  for (int level : {0, 10, 20, 30}) {
    quorvel::press::PressMessage press;
    const int fault = quorvel::press::read_press(message, level, 7, press);
    if (fault < -1 || fault > message.length()) __builtin_trap();
    if (fault != -1) continue;
    if (quorvel::press::to_message(press) != message) __builtin_trap();
    if (quorvel::press::required_level(press) > level) __builtin_trap();
    if (press.kind == quorvel::press::PressKind::kProposal)
      (void)quorvel::press::named_powers(press.arrangement);
  }
  return 0;
}
