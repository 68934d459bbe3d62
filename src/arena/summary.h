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
};

// Each power's score under the standard scoring of bot tournaments, in power order: a
// solo winner scores the number of powers minus 1 and every other power -1; in a draw,
// and in a game cut off at its last year, each of the N survivors scores powers / N - 1
// and every eliminated power -1.
std::vector<double> daide_scores(const GameResult& game);

// Players in the order they first appear in the results.
std::vector<PlayerSummary> summarize(const std::vector<GameResult>& results);
void print_summary(std::ostream& out, const std::vector<PlayerSummary>& players);

// Each player's mean centres per seat, year by year (a game that ended early keeps its
// last count), one line per player.
charts::LineChart mean_centres_chart(const std::vector<GameResult>& results);

}  // namespace quorvel::arena
