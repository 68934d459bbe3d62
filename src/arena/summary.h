#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "arena/game_result.h"
#include "charts/line_chart.h"

namespace quorvel::arena {

// What a set of games says about each player: how many games it took part in, its mean
// final centres per seat with a 95% confidence interval (each game one sample: the mean of
// the player's seats in it, since seats of one game are not independent), solos,
// eliminated seats and refused orders.
struct PlayerSummary {
  std::string player;
  int games = 0;
  double mean_centres = 0;
  double interval = 0;  // half-width; 0 with fewer than two games
  int solos = 0;
  int eliminations = 0;
  int refused = 0;
};

// Players in the order they first appear in the results.
std::vector<PlayerSummary> summarize(const std::vector<GameResult>& results);
void print_summary(std::ostream& out, const std::vector<PlayerSummary>& players);

// Each player's mean centres per seat, year by year (a game that ended early keeps its
// last count), one line per player.
charts::LineChart mean_centres_chart(const std::vector<GameResult>& results);

}  // namespace quorvel::arena
