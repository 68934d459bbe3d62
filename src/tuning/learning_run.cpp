#include "tuning/learning_run.h"

#include <iomanip>
#include <ostream>
#include <thread>

#include "arena/arena_run.h"
#include "arena/option_reader.h"
#include "arena/summary.h"
#include "base/number_text.h"
#include "settings/bot_settings.h"
#include "settings/builtin_settings.h"

namespace quorvel::tuning {

namespace {

// One seat of `one` against six of `six`, the powers rotating, to 1911.
arena::PlayerSummary one_against_six(const arena::ArenaPlayer& one, const arena::ArenaPlayer& six,
                                     const LearningOptions& options, std::ostream& out) {
  arena::ArenaOptions run;
  run.players = {one, six};
  run.games = options.compare_games;
  run.seed = options.seed + 1000000;
  run.last_year = 1911;
  run.jobs = options.jobs;
  const std::vector<arena::PlayerSummary> players =
      arena::summarize(arena::run_arena(run, nullptr));
  arena::print_summary(out, players);
  return players.front();
}

}  // namespace

std::string learning_usage() {
  return "usage: quorvel-arena learn [--start FILE] [--games N] [--last-year Y]\n"
         "                           [--compare-games N] [--seed S] [--jobs J] [--out FILE]\n"
         "  --start FILE         settings to start from (the built-in settings)\n"
         "  --games N            games of learning, seven Quorvels each (300)\n"
         "  --last-year Y        last year of the learning games (1935, as make play)\n"
         "  --compare-games N    games of each head-to-head comparison (700)\n"
         "  --out FILE           the learned settings (learned.ini)\n";
}

ParsedLearningOptions parse_learning_options(const std::vector<std::string>& args) {
  ParsedLearningOptions parsed;
  LearningOptions& o = parsed.options;
  o.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  parsed.error = arena::read_options(
      args,
      {
          {"--start", [&](const std::string& v) { return !(o.start = v).empty(); }},
          {"--games", [&](const std::string& v) { return read_number(v, 1, 1000000, o.games); }},
          {"--last-year",
           [&](const std::string& v) { return read_number(v, 1901, 9999, o.last_year); }},
          {"--compare-games",
           [&](const std::string& v) { return read_number(v, 7, 10000000, o.compare_games); }},
          {"--seed",
           [&](const std::string& v) {
             return read_number<std::uint64_t>(v, 0, 1ULL << 40, o.seed);
           }},
          {"--jobs", [&](const std::string& v) { return read_number(v, 1, 1024, o.jobs); }},
          {"--out", [&](const std::string& v) { return !(o.out = v).empty(); }},
      });
  return parsed;
}

int run_learning(const LearningOptions& options, std::ostream& out) {
  IniStore start = builtin_settings();
  if (!options.start.empty()) {
    std::string error;
    auto file = arena::settings_from_file(options.start, error);
    if (!file) {
      out << "quorvel-arena: " << error << "\n";
      return 2;
    }
    start = std::move(*file);
  }
  if (read(start, BotSettings::kMutationProbability) == 0.0)
    out << "The start settings never mutate (Mutation Probability 0): nothing can be learned.\n";

  // One game after the other: each starts from what the games before it kept.
  IniStore learned = start;
  int kept = 0;
  int solos = 0;
  for (int game = 0; game < options.games; ++game) {
    arena::ArenaOptions run;
    run.players = {arena::quorvel_player("learning", learned)};
    run.games = 1;
    run.seed = options.seed + static_cast<std::uint64_t>(game);
    run.last_year = options.last_year;
    run.jobs = 1;
    for (arena::GameResult& result : arena::run_arena(run, nullptr)) {
      solos += result.solo();
      if (result.learned) {
        learned = std::move(*result.learned);
        ++kept;
      }
    }
  }
  out << options.games << " games of learning: " << solos << " won alone, " << kept
      << " times the winner's mutated settings were kept.\n";
  learned.setFileName(options.out);
  if (!learned.save()) {
    out << "quorvel-arena: cannot write " << options.out << "\n";
    return 2;
  }

  out << "\nOne learned seat against six with the start settings, to 1911:\n";
  const arena::PlayerSummary one =
      one_against_six(arena::quorvel_player("learned", learned),
                      arena::quorvel_player("start", start), options, out);
  out << "\nOne start seat against six with the learned settings, to 1911:\n";
  const arena::PlayerSummary other =
      one_against_six(arena::quorvel_player("start", start),
                      arena::quorvel_player("learned", learned), options, out);
  out << std::fixed << std::setprecision(2) << "\nLearned alone among start: " << one.mean_centres
      << " ± " << one.interval << " centres; start alone among learned: " << other.mean_centres
      << " ± " << other.interval << " (an even seat holds 34/7 = 4.86).\n"
      << "The learned settings: " << options.out << "\n";
  return 0;
}

}  // namespace quorvel::tuning
