#include <benchmark/benchmark.h>

#include "protocol/press.h"
#include "protocol/token_message.h"

namespace {

// Every SND a server relays is read at the game's level: a proposal of level 30 as
// negotiators send it, and the answer's echo of it.
void BM_ReadLevel30Proposal(benchmark::State& state) {
  quorvel::TokenMessage press;
  if (press.parse_text("YES ( PRP ( AND ( PCE ( ENG GER ) ) ( DMZ ( ENG GER ) ( SKA HEL ) ) "
                       "( XDO ( ( ENG FLT NTH ) SUP ( GER AMY RUH ) MTO HOL ) ) ) )") != -1) {
    state.SkipWithError("the press does not parse");
    return;
  }
  for (auto _ : state) {
    quorvel::press::PressMessage read;
    benchmark::DoNotOptimize(quorvel::press::read_press(press, 30, 7, read));
    benchmark::DoNotOptimize(read);
  }
}
BENCHMARK(BM_ReadLevel30Proposal)->Unit(benchmark::kMicrosecond);

}  // namespace
