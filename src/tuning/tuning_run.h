#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "arena/cluster.h"
#include "settings/ini_store.h"

namespace quorvel::tuning {

struct TuningOptions {
  std::string start;           // settings to start from; empty: the built-in ones
  int games = 140;             // per evaluation: half against greedy, half against Quorvel
  double minutes = 60;         // stops before this time is up
  std::int64_t max_games = 0;  // and before this many games; 0: no limit
  std::uint64_t seed = 1;
  int jobs = 1;
  // Press level of the games; above 0 the house half is honest negotiators and the
  // negotiation's weights are tuned as well.
  int press = 0;
  std::string csv = "tuning.csv";  // progress; a run resumes from it
  std::string best = "tuned.ini";  // the settings reached
  std::string chart = "tuning.svg";
  std::string command;  // as typed, for the comment in the settings file
  // The ranks each step's games are spread over; rank 0 alone writes. None: this process.
  const arena::Cluster* cluster = nullptr;
};

struct ParsedTuningOptions {
  TuningOptions options;
  std::string error;
};

ParsedTuningOptions parse_tuning_options(const std::vector<std::string>& args);
std::string tuning_usage();

// Tunes the settings with SPSA in arena games to 1911: each evaluation is the mean final
// centres of one seat played by the candidate settings, half of the games against six
// greedy players and half against six Quorvels with the settings reached so far; the two
// candidates of a step play the same seeds. After every step the CSV gets a line, and the
// settings file and the chart are rewritten. Answers the exit status.
int run_tuning(const TuningOptions& options, std::ostream& progress);

}  // namespace quorvel::tuning
