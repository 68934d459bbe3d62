#include "tuning/tuning_run.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <thread>

#include "arena/arena_run.h"
#include "arena/option_reader.h"
#include "base/number_text.h"
#include "charts/line_chart.h"
#include "settings/builtin_settings.h"
#include "tuning/spsa.h"
#include "tuning/tuned_settings.h"
#include "tuning/tuning_trend.h"

namespace quorvel::tuning {

namespace {

constexpr int kLastYear = 1911;
constexpr int kFixedColumns = 6;

struct Measure {
  double mean = 0;
  double interval = 0;
};

struct Step {
  int iteration = 0;
  std::int64_t games = 0;
  Measure plus;
  Measure minus;
  std::vector<double> values;  // the settings reached after the step

  // What the tuning maximises: both candidates' mean.
  double objective() const { return (plus.mean + minus.mean) / 2; }
};

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');)
    cells.push_back(cell);
  return cells;
}

std::string header(const std::vector<TunedSetting>& settings) {
  std::string line = "iteration,games,plus,plus_interval,minus,minus_interval";
  for (const TunedSetting& s : settings)
    line += "," + s.section + "." + s.key;
  return line;
}

std::string csv_line(const Step& step) {
  std::ostringstream line;
  line << step.iteration << "," << step.games << "," << step.plus.mean << "," << step.plus.interval
       << "," << step.minus.mean << "," << step.minus.interval;
  for (double v : step.values)
    line << "," << v;
  return line.str();
}

// The steps of an earlier run; false when the file is not a progress file of this tuner.
bool read_steps(const std::string& path, const std::vector<TunedSetting>& settings,
                std::vector<Step>& steps, std::string& error) {
  std::ifstream in(path);
  std::string line;
  if (!std::getline(in, line)) return true;  // empty: a new run
  if (line != header(settings)) {
    error = path + " is not a progress file of this tuner (its columns differ)";
    return false;
  }
  const std::size_t columns = kFixedColumns + settings.size();
  for (int number = 2; std::getline(in, line); ++number) {
    if (line.empty()) continue;
    const std::vector<std::string> cells = split(line);
    Step step;
    bool ok = cells.size() == columns && read_number(cells[0], 0, 1 << 30, step.iteration) &&
              read_number(cells[1], std::int64_t{0}, std::int64_t{1} << 50, step.games);
    double* fields[] = {&step.plus.mean, &step.plus.interval, &step.minus.mean,
                        &step.minus.interval};
    for (std::size_t i = 2; ok && i < cells.size(); ++i) {
      double value = 0;
      ok = read_number(cells[i], -1e9, 1e9, value);
      if (i < kFixedColumns) {
        *fields[i - 2] = value;
      } else {
        step.values.push_back(value);
      }
    }
    if (!ok) {
      error = path + ":" + std::to_string(number) + ": not a line of the tuner";
      return false;
    }
    steps.push_back(std::move(step));
  }
  return true;
}

// What makes two runs one: the games of an evaluation, the seed and the settings started
// from (by content). Kept beside the CSV, so that a run resumes only its own progress.
std::string run_identity(const TuningOptions& options, const IniStore& base) {
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
  for (const char c : base.to_text()) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ULL;
  }
  std::ostringstream text;
  text << "games=" << options.games << " seed=" << options.seed;
  if (options.press > 0) text << " press=" << options.press;
  text << " start=" << std::hex << hash;
  return text.str();
}

std::string read_first_line(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// A tuned value beyond its bounds would be clamped silently at the first step.
std::string out_of_bounds(const IniStore& base, const std::string& file,
                          const std::vector<TunedSetting>& settings) {
  const std::vector<double> values = values_of(base, settings);
  for (std::size_t i = 0; i < settings.size() && i < values.size(); ++i) {
    const TunedSetting& s = settings[i];
    if (values[i] < s.low || values[i] > s.high) {
      std::ostringstream why;
      why << file << ": [" << s.section << "] " << s.key << " = " << values[i]
          << " is outside the tuner's bounds " << s.low << " to " << s.high;
      return why.str();
    }
  }
  return "";
}

Measure measure(const std::vector<double>& samples) {
  Measure m;
  if (samples.empty()) return m;
  const double n = static_cast<double>(samples.size());
  for (double x : samples)
    m.mean += x / n;
  if (samples.size() < 2) return m;
  double squares = 0;
  for (double x : samples)
    squares += (x - m.mean) * (x - m.mean);
  m.interval = 1.96 * std::sqrt(squares / (n - 1) / n);
  return m;
}

// The tuner measures the settings themselves, not a mutation of them.
arena::ArenaPlayer unmutated_player(const std::string& label, IniStore settings) {
  settings.setValue("Mutation", "Probability", "0", true);
  return arena::quorvel_player(label, std::move(settings));
}

// Mean final centres of the candidate's one seat: games / 2 against six greedy players
// (with press, six honest negotiators), the rest against six champions.
Measure evaluate(const IniStore& candidate, const IniStore& champion, std::uint64_t seed,
                 const TuningOptions& options) {
  std::vector<double> samples;
  auto play = [&](arena::ArenaPlayer opponent, int games, std::uint64_t first_seed) {
    arena::ArenaOptions run;
    run.players.push_back(unmutated_player("candidate", candidate));
    run.players.push_back(std::move(opponent));
    run.games = games;
    run.seed = first_seed;
    run.last_year = kLastYear;
    run.jobs = options.jobs;
    run.press.level = options.press;
    run.cluster = options.cluster;
    for (const arena::GameResult& game : arena::run_arena(run, nullptr)) {
      for (const arena::PowerResult& power : game.powers) {
        if (power.player == "candidate") samples.push_back(power.centres);
      }
    }
  };
  arena::ArenaPlayer house;
  house.label = options.press > 0 ? "honest" : "greedy";
  house.house =
      options.press > 0 ? opponents::OpponentKind::kHonest : opponents::OpponentKind::kGreedy;
  const int half = options.games / 2;
  play(house, half, seed);
  play(unmutated_player("champion", champion), options.games - half, seed + half);
  return measure(samples);
}

charts::LineChart progress_chart(const std::vector<Step>& steps) {
  charts::LineChart chart{"Tuning: mean centres in 1911 of the tuned seat",
                          "step",
                          "centres (half against greedy, half against the settings reached)",
                          {},
                          true};
  charts::Series each{"both candidates", "#1f77b4", {}, false};
  charts::Series smooth{"mean of the last 10", "#d62728", {}, true};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    each.points.emplace_back(steps[i].iteration, steps[i].objective());
    double sum = 0;
    const std::size_t from = i >= 9 ? i - 9 : 0;
    for (std::size_t j = from; j <= i; ++j)
      sum += steps[j].objective();
    smooth.points.emplace_back(steps[i].iteration, sum / static_cast<double>(i - from + 1));
  }
  chart.series = {each, smooth};
  return chart;
}

bool write_best(const IniStore& base, const std::vector<double>& values,
                const std::vector<TunedSetting>& settings, const Step& last,
                const TuningOptions& options) {
  IniStore best = with_values(base, values, settings);
  const std::time_t now = std::time(nullptr);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%d", std::gmtime(&now));
  best.setHeaderComments({
      " Tuned in the arena by: " + options.command,
      " " + std::to_string(last.games) + " games in " + std::to_string(last.iteration + 1) +
          " SPSA steps of " + std::to_string(options.games) +
          " games each side (half against six " +
          (options.press > 0 ? "honest negotiators" : "greedy players") +
          ", half against the settings",
      " reached so far), to 1911" +
          (options.press > 0 ? ", at press level " + std::to_string(options.press) : "") + "; " +
          date + ".",
  });
  best.setFileName(options.best);
  return best.save();
}

}  // namespace

std::string tuning_usage() {
  return "usage: quorvel-arena tune [--start FILE] [--games N] [--minutes M] [--max-games G]\n"
         "                          [--seed S] [--jobs J] [--csv FILE] [--best FILE]\n"
         "                          [--chart FILE] [--press LEVEL]\n"
         "  --start FILE   settings to start from (the built-in settings)\n"
         "  --games N      games per evaluation, half against greedy players (140)\n"
         "  --minutes M    stop before this time is up (60)\n"
         "  --max-games G  stop before this many games (no limit)\n"
         "  --seed S       seed of the games and of the perturbations (1)\n"
         "  --jobs J       games played at once (the number of cores)\n"
         "  --csv FILE     progress, one line a step; a run resumes from it (tuning.csv)\n"
         "  --best FILE    the settings reached, rewritten after every step (tuned.ini)\n"
         "  --chart FILE   the progress as an SVG chart (tuning.svg)\n"
         "  --press LEVEL  games with press at this level (10 and up), against honest\n"
         "                 negotiators instead of greedy players; the negotiation's\n"
         "                 weights are tuned too (0: none)\n";
}

ParsedTuningOptions parse_tuning_options(const std::vector<std::string>& args) {
  ParsedTuningOptions parsed;
  TuningOptions& o = parsed.options;
  o.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  o.command = "quorvel-arena tune";
  for (const std::string& arg : args)
    o.command += " " + arg;
  parsed.error = arena::read_options(
      args,
      {
          {"--start", [&](const std::string& v) { return !(o.start = v).empty(); }},
          {"--games", [&](const std::string& v) { return read_number(v, 2, 1000000, o.games); }},
          {"--minutes",
           [&](const std::string& v) {
             return read_number(v, 0.0, 1e6, o.minutes) && o.minutes > 0;
           }},
          {"--max-games",
           [&](const std::string& v) {
             return read_number(v, std::int64_t{1}, std::int64_t{1} << 50, o.max_games);
           }},
          {"--seed",
           [&](const std::string& v) {
             return read_number<std::uint64_t>(v, 0, 1ULL << 40, o.seed);
           }},
          {"--jobs", [&](const std::string& v) { return read_number(v, 1, 1024, o.jobs); }},
          {"--csv", [&](const std::string& v) { return !(o.csv = v).empty(); }},
          {"--best", [&](const std::string& v) { return !(o.best = v).empty(); }},
          {"--chart", [&](const std::string& v) { return !(o.chart = v).empty(); }},
          // Below level 10 nobody negotiates: the press weights would be tuned on noise.
          {"--press",
           [&](const std::string& v) {
             return read_number(v, 0, 8000, o.press) && (o.press == 0 || o.press >= 10);
           }},
      });
  return parsed;
}

int run_tuning(const TuningOptions& options, std::ostream& progress) {
  const std::vector<TunedSetting>& settings = tuned_settings(options.press > 0);
  IniStore base = builtin_settings();
  if (!options.start.empty()) {
    std::string error;
    auto start = arena::settings_from_file(options.start, error);
    if (!start) {
      progress << "quorvel-arena: " << error << "\n";
      return 2;
    }
    base = std::move(*start);
    const std::string beyond = out_of_bounds(base, options.start, settings);
    if (!beyond.empty()) {
      progress << "quorvel-arena: " << beyond << "\n";
      return 2;
    }
  }
  std::vector<Step> steps;
  std::string error;
  if (!read_steps(options.csv, settings, steps, error)) {
    progress << "quorvel-arena: " << error << "\n";
    return 2;
  }
  const std::string identity = run_identity(options, base);
  const std::string identity_file = options.csv + ".run";
  const std::string recorded = read_first_line(identity_file);
  if (!steps.empty() && !recorded.empty() && recorded != identity) {
    progress << "quorvel-arena: " << options.csv << " is the progress of another run (" << recorded
             << "; this one: " << identity << "): give the same options, or another --csv\n";
    return 2;
  }
  Spsa spsa(to_unit(values_of(base, settings), settings), SpsaGains{}, options.seed);
  std::int64_t games = 0;
  int k = 0;
  if (!steps.empty()) {
    spsa.set_point(to_unit(steps.back().values, settings));
    games = steps.back().games;
    k = steps.back().iteration + 1;
    progress << "Resuming from " << options.csv << " after step " << k - 1 << " (" << games
             << " games)\n";
  }
  // Every rank reads the files (a cluster's nodes share them); rank 0 alone writes.
  const bool writes = options.cluster == nullptr || options.cluster->leads();
  auto leader_decides = [&](bool decision) {
    return options.cluster == nullptr ? decision : options.cluster->leader_decides(decision);
  };
  std::ofstream csv;
  if (writes) csv.open(options.csv, std::ios::app);
  if (!leader_decides(!writes || static_cast<bool>(csv))) {
    progress << "quorvel-arena: cannot write " << options.csv << "\n";
    return 2;
  }
  if (writes && steps.empty()) csv << header(settings) << "\n" << std::flush;
  if (writes && recorded != identity) std::ofstream(identity_file) << identity << "\n";

  const auto started = std::chrono::steady_clock::now();
  auto elapsed = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  };
  double step_seconds = 0;
  int played = 0;
  while (true) {
    if (options.max_games > 0 && games + 2L * options.games > options.max_games) break;
    // The clock is rank 0's: ranks whose clocks differ must still stop at the same step.
    if (leader_decides(elapsed() + step_seconds > options.minutes * 60)) break;
    const double step_start = elapsed();
    const Spsa::Probe probe = spsa.probe(k);
    const auto settings_at = [&](const std::vector<double>& unit) {
      return with_values(base, from_unit(unit, settings), settings);
    };
    const IniStore champion = settings_at(spsa.point());
    // Both candidates play the same games: their difference is what the step follows.
    const std::uint64_t seed = options.seed * 1000003ULL + static_cast<std::uint64_t>(k) * 7919;
    Step step;
    step.iteration = k;
    step.plus = evaluate(settings_at(probe.plus), champion, seed, options);
    step.minus = evaluate(settings_at(probe.minus), champion, seed, options);
    spsa.update(k, probe, step.plus.mean, step.minus.mean);
    games += 2L * options.games;
    step.games = games;
    step.values = from_unit(spsa.point(), settings);
    steps.push_back(step);

    if (writes) {
      csv << csv_line(step) << "\n" << std::flush;
      write_best(base, step.values, settings, step, options);
      charts::write_svg(progress_chart(steps), options.chart);
    }
    step_seconds = elapsed() - step_start;
    progress << "step " << k << ": " << std::fixed << std::setprecision(2) << step.plus.mean
             << " ± " << step.plus.interval << " and " << step.minus.mean << " ± "
             << step.minus.interval << " centres; " << games << " games, " << std::setprecision(1)
             << elapsed() / 60 << " min\n"
             << std::flush;
    ++k;
    ++played;
  }
  std::vector<double> objective;
  for (const Step& step : steps)
    objective.push_back(step.objective());
  // A resumed run with no budget left wrote nothing: it says so, and how the run stands.
  if (played == 0) {
    progress << "quorvel-arena: the budget allows no step\n";
    if (!steps.empty()) progress << trend_report(objective);
    return 2;
  }
  progress << "Settings reached: " << options.best << "; progress: " << options.csv << ", "
           << options.chart << "\n"
           << trend_report(objective);
  return 0;
}

}  // namespace quorvel::tuning
