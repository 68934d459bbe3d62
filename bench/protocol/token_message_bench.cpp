#include <benchmark/benchmark.h>

#include <string_view>

#include "protocol/token_message.h"
#include "rules/standard_map.h"

namespace {

void BM_ParseStandardMap(benchmark::State& state) {
  const std::string_view text = quorvel::rules::standard_map_text();
  for (auto _ : state) {
    quorvel::TokenMessage message;
    benchmark::DoNotOptimize(message.parse_text(text));
    benchmark::DoNotOptimize(message);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseStandardMap)->Unit(benchmark::kMicrosecond);

void BM_PrintStandardMap(benchmark::State& state) {
  quorvel::TokenMessage message;
  if (message.parse_text(quorvel::rules::standard_map_text()) != -1) {
    state.SkipWithError("standard map does not parse");
    return;
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(message.to_text());
}
BENCHMARK(BM_PrintStandardMap)->Unit(benchmark::kMicrosecond);

// Handlers take the map definition apart element by element.
void BM_WalkStandardMap(benchmark::State& state) {
  quorvel::TokenMessage message;
  if (message.parse_text(quorvel::rules::standard_map_text()) != -1) {
    state.SkipWithError("standard map does not parse");
    return;
  }
  for (auto _ : state) {
    const quorvel::TokenMessage adjacencies = message.sub_message(3);
    int total = 0;
    for (int i = 0; i < adjacencies.sub_message_count(); ++i) {
      total += adjacencies.sub_message(i).sub_message_count();
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_WalkStandardMap)->Unit(benchmark::kMicrosecond);

}  // namespace
