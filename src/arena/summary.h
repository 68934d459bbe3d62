#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "arena/game_result.h"
#include "charts/line_chart.h"

namespace quorvel::arena {

// What a set of games says about each player: how many games it took part in, its mean
// final centres per seat with a 95% confidence interval (each game one sample: the mean of
// the player's seats in it, since seats of one game are not independent), its mean score,
// solos, eliminated seats and refused orders.
struct PlayerSummary {
  std::string player;
  int games = 0;
  double mean_centres = 0;
  double interval = 0;    // half-width; 0 with fewer than two games
  double mean_score = 0;  // per seat, by daide_scores
  int solos = 0;
  int eliminations = 0;
  int refused = 0;
  // In games with press: agreements made and broken by its seats.
  bool press = false;
  int agreements = 0;
  int broken = 0;
  // Mean sum-of-squares score per seat, with its 95% interval's half-width.
  double mean_squares = 0;
  double squares_interval = 0;
  // An outside program's seats, and those in which its program failed.
  int program_seats = 0;
  int failed = 0;
};

// Each power's score under the standard scoring of bot tournaments, in power order: a
// solo winner scores the number of powers minus 1 and every other power -1; in a draw,
// and in a game cut off at its last year, each of the N survivors scores powers / N - 1
// and every eliminated power -1.
std::vector<double> daide_scores(const GameResult& game);

// Each power's sum-of-squares score, in power order: its centres squared over the sum of
// all powers' squares; a solo winner scores 1 and the others 0.
std::vector<double> sum_of_squares_scores(const GameResult& game);

// Players in the order they first appear in the results. With void_failed, games in which
// an outside program failed count only for the failed seats.
std::vector<PlayerSummary> summarize(const std::vector<GameResult>& results,
                                     bool void_failed = false);
void print_summary(std::ostream& out, const std::vector<PlayerSummary>& players);

// Each player's mean centres per seat, year by year (a game that ended early keeps its
// last count), one line per player.
charts::LineChart mean_centres_chart(const std::vector<GameResult>& results);

}  // namespace quorvel::arena
