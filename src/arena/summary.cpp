#include "arena/summary.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <iterator>
#include <map>
#include <ostream>
#include <sstream>

namespace quorvel::arena {

namespace {

// Two-sided 95% quantiles of Student's t for 1 .. 30 degrees of freedom; the normal
// quantile beyond.
double t_quantile(int degrees) {
  static const double table[] = {12.706, 4.303, 3.182, 2.776, 2.571, 2.447, 2.365, 2.306,
                                 2.262,  2.228, 2.201, 2.179, 2.160, 2.145, 2.131, 2.120,
                                 2.110,  2.101, 2.093, 2.086, 2.080, 2.074, 2.069, 2.064,
                                 2.060,  2.056, 2.052, 2.048, 2.045, 2.042};
  if (degrees >= 1 && degrees <= 30) return table[degrees - 1];
  return 1.96;
}

double mean(const std::vector<double>& xs) {
  double sum = 0;
  for (double x : xs)
    sum += x;
  return xs.empty() ? 0 : sum / static_cast<double>(xs.size());
}

// The half-width of the 95% interval of the mean of the samples; 0 with fewer than two.
double interval_of(const std::vector<double>& xs) {
  if (xs.size() < 2) return 0;
  const double m = mean(xs);
  double squares = 0;
  for (double x : xs)
    squares += (x - m) * (x - m);
  const double n = static_cast<double>(xs.size());
  return t_quantile(static_cast<int>(xs.size()) - 1) * std::sqrt(squares / (n - 1)) / std::sqrt(n);
}

}  // namespace

std::vector<double> sum_of_squares_scores(const GameResult& game) {
  std::vector<double> scores(game.powers.size(), 0.0);
  double total = 0;
  for (const PowerResult& power : game.powers)
    total += static_cast<double>(power.centres) * power.centres;
  for (std::size_t p = 0; p < game.powers.size(); ++p) {
    const double centres = game.powers[p].centres;
    if (game.solo()) {
      scores[p] = game.powers[p].power == game.winner ? 1.0 : 0.0;
    } else if (total > 0) {
      scores[p] = centres * centres / total;
    }
  }
  return scores;
}

std::vector<double> daide_scores(const GameResult& game) {
  const auto powers = static_cast<double>(game.powers.size());
  std::vector<double> scores(game.powers.size(), -1.0);
  // A draw is shared by the survivors, or by the powers it names.
  auto shares = [&game](const PowerResult& power) {
    return game.drawn.empty() ? power.centres > 0
                              : std::count(game.drawn.begin(), game.drawn.end(), power.power) > 0;
  };
  const auto sharing =
      static_cast<double>(std::count_if(game.powers.begin(), game.powers.end(), shares));
  for (std::size_t p = 0; p < game.powers.size(); ++p) {
    if (game.solo()) {
      if (game.powers[p].power == game.winner) scores[p] = powers - 1;
    } else if (shares(game.powers[p])) {
      scores[p] = powers / sharing - 1;
    }
  }
  return scores;
}

std::vector<PlayerSummary> summarize(const std::vector<GameResult>& results, bool void_failed) {
  std::vector<PlayerSummary> players;
  std::map<std::string, std::size_t> index;
  std::vector<std::vector<double>> samples;
  std::vector<std::vector<double>> scores;
  std::vector<std::vector<double>> squares;
  for (const GameResult& game : results) {
    struct Seats {
      double centres = 0;
      double score = 0;
      double squares = 0;
      int count = 0;
    };
    std::map<std::string, Seats> seats;
    const std::vector<double> score = daide_scores(game);
    const std::vector<double> square = sum_of_squares_scores(game);
    const bool counted = !(void_failed && game.failed());
    for (std::size_t p = 0; p < game.powers.size(); ++p) {
      const PowerResult& power = game.powers[p];
      auto [it, added] = index.emplace(power.player, players.size());
      if (added) {
        players.push_back(PlayerSummary{power.player});
        samples.emplace_back();
        scores.emplace_back();
        squares.emplace_back();
      }
      PlayerSummary& player = players[it->second];
      player.program_seats += !power.program.empty();
      player.failed += power.failed();
      if (!counted) continue;
      player.eliminations += power.centres == 0;
      player.refused += power.refused;
      player.press = player.press || game.press_level > 0;
      player.agreements += power.agreements;
      player.broken += power.broken;
      if (game.winner == power.power) ++player.solos;
      Seats& seat = seats[power.player];
      seat.centres += power.centres;
      seat.score += score[p];
      seat.squares += square[p];
      seat.count += 1;
    }
    for (const auto& [name, seat] : seats) {
      const std::size_t i = index[name];
      ++players[i].games;
      samples[i].push_back(seat.centres / seat.count);
      scores[i].push_back(seat.score / seat.count);
      squares[i].push_back(seat.squares / seat.count);
    }
  }
  for (std::size_t i = 0; i < players.size(); ++i) {
    players[i].mean_centres = mean(samples[i]);
    players[i].interval = interval_of(samples[i]);
    players[i].mean_score = mean(scores[i]);
    players[i].mean_squares = mean(squares[i]);
    players[i].squares_interval = interval_of(squares[i]);
  }
  return players;
}

charts::LineChart mean_centres_chart(const std::vector<GameResult>& results) {
  static const char* const kPalette[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                         "#9467bd", "#8c564b", "#e377c2"};
  int first = 0;
  int last = 0;
  for (const GameResult& game : results) {
    if (game.centres_by_year.empty()) continue;
    first = first == 0 ? game.centres_by_year.begin()->first
                       : std::min(first, game.centres_by_year.begin()->first);
    last = std::max(last, game.centres_by_year.rbegin()->first);
  }
  std::vector<std::string> players;
  std::map<std::string, std::map<int, std::pair<double, int>>> sums;  // year -> sum, games
  for (const GameResult& game : results) {
    if (game.centres_by_year.empty()) continue;
    for (int year = first; year <= last; ++year) {
      auto at = game.centres_by_year.upper_bound(year);
      if (at == game.centres_by_year.begin()) continue;
      const std::vector<int>& counts = std::prev(at)->second;
      std::map<std::string, std::pair<double, int>> seats;
      for (std::size_t p = 0; p < game.powers.size() && p < counts.size(); ++p) {
        seats[game.powers[p].player].first += counts[p];
        seats[game.powers[p].player].second += 1;
      }
      for (const auto& [player, seat] : seats) {
        if (!sums.count(player)) players.push_back(player);
        auto& cell = sums[player][year];
        cell.first += seat.first / seat.second;
        cell.second += 1;
      }
    }
  }
  charts::LineChart chart{"Mean centres per seat, " + std::to_string(results.size()) + " games",
                          "year",
                          "supply centres",
                          {},
                          true};
  for (std::size_t i = 0; i < players.size(); ++i) {
    charts::Series series{players[i], kPalette[i % std::size(kPalette)], {}, false};
    for (const auto& [year, cell] : sums[players[i]])
      series.points.emplace_back(year, cell.first / cell.second);
    chart.series.push_back(std::move(series));
  }
  return chart;
}

void print_summary(std::ostream& out, const std::vector<PlayerSummary>& players) {
  std::size_t width = 6;
  bool press = false;
  bool programs = false;
  for (const PlayerSummary& p : players) {
    width = std::max(width, p.player.size());
    press = press || p.press;
    programs = programs || p.program_seats > 0;
  }
  out << std::left << std::setw(static_cast<int>(width)) << "player" << std::right << std::setw(7)
      << "games" << std::setw(20) << "centres (95% CI)" << std::setw(7) << "score" << std::setw(18)
      << "sum of squares" << std::setw(7) << "solos" << std::setw(12) << "eliminated"
      << std::setw(9) << "refused";
  if (press) out << std::setw(12) << "agreements" << std::setw(8) << "broken";
  if (programs) out << std::setw(8) << "failed";
  out << "\n";
  for (const PlayerSummary& p : players) {
    std::ostringstream centres;
    centres << std::fixed << std::setprecision(2) << p.mean_centres << " ± " << p.interval;
    std::ostringstream score;
    score << std::fixed << std::setprecision(2) << p.mean_score;
    std::ostringstream squares;
    squares << std::fixed << std::setprecision(3) << p.mean_squares << " ± " << p.squares_interval;
    out << std::left << std::setw(static_cast<int>(width)) << p.player << std::right << std::setw(7)
        << p.games << std::setw(21) << centres.str() << std::setw(7) << score.str() << std::setw(19)
        << squares.str() << std::setw(7) << p.solos << std::setw(12) << p.eliminations
        << std::setw(9) << p.refused;
    if (press) out << std::setw(12) << p.agreements << std::setw(8) << p.broken;
    if (programs) {
      std::ostringstream failed;
      failed << p.failed << "/" << p.program_seats;
      out << std::setw(8) << failed.str();
    }
    out << "\n";
  }
}

}  // namespace quorvel::arena
