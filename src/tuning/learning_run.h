#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace quorvel::tuning {

struct LearningOptions {
  std::string start;        // settings to start from; empty: the built-in ones
  int games = 300;          // games of learning
  int last_year = 1935;     // as make play
  int compare_games = 700;  // head to head, each way
  std::uint64_t seed = 1;
  int jobs = 1;
  std::string out = "learned.ini";
};

struct ParsedLearningOptions {
  LearningOptions options;
  std::string error;
};

ParsedLearningOptions parse_learning_options(const std::vector<std::string>& args);
std::string learning_usage();

// The bot's own learning as make play does it: seven Quorvels start each game from the
// learned settings and mutate them at start-up; when one wins alone, its mutated
// settings become the learned ones. Then the learned settings meet the start settings
// head to head, one seat against six and six against one, to 1911. Answers the exit
// status.
int run_learning(const LearningOptions& options, std::ostream& out);

}  // namespace quorvel::tuning
