// quorvel-arena: many games of the standard map in one process, Quorvel against house
// opponents or other settings, with a summary of how each player fared.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>

#include "arena/arena_options.h"
#include "arena/arena_run.h"
#include "arena/summary.h"
#include "platform/program_run.h"
#include "tuning/learning_run.h"
#include "tuning/tuning_run.h"

namespace {

using namespace quorvel::arena;

int refuse(const std::string& why) {
  std::cerr << "quorvel-arena: " << why << "\n";
  return 2;
}

// The summary, and how many games it left out.
void print_scores(const std::vector<GameResult>& results, bool void_failed) {
  print_summary(std::cout, summarize(results, void_failed));
  if (!void_failed) return;
  const auto voided = std::count_if(results.begin(), results.end(),
                                    [](const GameResult& result) { return result.failed(); });
  std::cout << voided << " game" << (voided == 1 ? "" : "s")
            << " with a failed program left out of the scores\n";
}

int merge(std::vector<std::string> files) {
  const auto flag = std::find(files.begin(), files.end(), "--void-failed");
  const bool void_failed = flag != files.end();
  if (void_failed) files.erase(flag);
  if (files.empty()) return refuse("merge needs result files");
  std::vector<GameResult> results;
  for (const std::string& file : files) {
    std::ifstream in(file);
    if (!in) return refuse("cannot read " + file);
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      if (line.empty()) continue;
      auto result = from_json_line(line);
      if (!result) return refuse(file + ":" + std::to_string(number) + ": not a game result");
      results.push_back(std::move(*result));
    }
  }
  print_scores(results, void_failed);
  std::cout << results.size() << " games\n";
  return 0;
}

void draw_progress(std::size_t done, std::size_t total, double seconds) {
  constexpr int kWidth = 30;
  const int filled = total == 0 ? kWidth : static_cast<int>(kWidth * done / total);
  std::fprintf(stderr, "\r[%s%s] %zu/%zu games, %.1f games/s ", std::string(filled, '#').c_str(),
               std::string(kWidth - filled, ' ').c_str(), done, total,
               seconds > 0 ? static_cast<double>(done) / seconds : 0.0);
  std::fflush(stderr);
}

bool asks_for_help(const std::vector<std::string>& args, std::size_t first) {
  return args.size() > first && (args[first] == "--help" || args[first] == "-h");
}

extern "C" void stop_with_programs(int) {
  quorvel::platform::stop_all_programs();
  std::_Exit(130);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // Under mpirun or srun the ranks split the games; every rank runs this same program.
  const Cluster cluster;
  if (!args.empty() && args[0] == "merge") return merge({args.begin() + 1, args.end()});
  if (!args.empty() && (args[0] == "learn" || args[0] == "tune") && asks_for_help(args, 1)) {
    std::cout << (args[0] == "learn" ? quorvel::tuning::learning_usage()
                                     : quorvel::tuning::tuning_usage());
    return 0;
  }
  if (!args.empty() && args[0] == "learn") {
    const auto parsed = quorvel::tuning::parse_learning_options({args.begin() + 1, args.end()});
    if (!parsed.error.empty())
      return refuse(parsed.error + "\n" + quorvel::tuning::learning_usage());
    if (cluster.size() > 1) return refuse("learn runs in one process, not under mpirun or srun");
    return quorvel::tuning::run_learning(parsed.options, std::cout);
  }
  if (!args.empty() && args[0] == "tune") {
    const auto parsed = quorvel::tuning::parse_tuning_options({args.begin() + 1, args.end()});
    if (!parsed.error.empty()) return refuse(parsed.error + "\n" + quorvel::tuning::tuning_usage());
    quorvel::tuning::TuningOptions options = parsed.options;
    options.cluster = &cluster;
    // Rank 0 speaks for the run; the others would only say the same again.
    std::ostream quiet(nullptr);
    return quorvel::tuning::run_tuning(options, cluster.leads() ? std::cout : quiet);
  }
  if (asks_for_help(args, 0)) {
    std::cout << arena_usage();
    return 0;
  }
  ParsedArenaOptions parsed = parse_arena_options(args);
  if (!parsed.error.empty()) return refuse(parsed.error + "\n" + arena_usage());
  ArenaOptions& options = parsed.options;
  options.cluster = &cluster;
  const bool leads = cluster.leads();

  if (!options.record_dir.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(options.record_dir, ec);
    if (!std::filesystem::is_directory(options.record_dir, ec))
      return refuse("cannot make the record directory " + options.record_dir);
  }
  std::ofstream out;
  if (!options.out.empty() && leads) {
    out.open(options.out, std::ios::trunc);
    if (!out) return refuse("cannot write " + options.out);
  }
  const bool bar = leads && !options.quiet && ::isatty(STDERR_FILENO);
  const std::size_t total = games_of_run(options).size();
  const auto started = std::chrono::steady_clock::now();
  auto elapsed = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  };
  std::size_t done = 0;
  // Outside programs run in process groups of their own, which a Ctrl-C does not reach:
  // they are stopped with the run.
  if (std::any_of(options.players.begin(), options.players.end(),
                  [](const ArenaPlayer& player) { return player.is_outside(); })) {
    std::signal(SIGINT, stop_with_programs);
    std::signal(SIGTERM, stop_with_programs);
  }
  if (bar) draw_progress(0, total, 0);
  const std::vector<GameResult> results = run_arena(options, [&](const GameResult& result) {
    if (out.is_open()) out << to_json_line(result) << "\n" << std::flush;
    if (result.stalled && leads) {
      if (bar) std::fprintf(stderr, "\n");
      std::fprintf(
          stderr,
          "quorvel-arena: the game of seed %llu stopped after %d years: a player did not order\n",
          static_cast<unsigned long long>(result.seed), result.years);
    }
    ++done;
    if (bar) draw_progress(done, total, elapsed());
  });
  if (bar) std::fprintf(stderr, "\n");
  const double seconds = elapsed();
  if (!leads) return 0;
  print_scores(results, options.void_failed);
  if (!options.chart.empty() &&
      !quorvel::charts::write_svg(mean_centres_chart(results), options.chart))
    std::cerr << "quorvel-arena: cannot write " << options.chart << "\n";
  std::cout << results.size() << " games in " << std::fixed << std::setprecision(1) << seconds
            << " s: " << std::setprecision(1)
            << (seconds > 0 ? static_cast<double>(results.size()) / seconds : 0.0) << " games/s\n";
  return out.is_open() && !out ? 1 : 0;
}
