#pragma once

#include <map>
#include <string>
#include <vector>

#include "charts/line_chart.h"

namespace quorvel::server {

// The colour a power usually has on a Diplomacy board (by power index, standard map);
// grey for others.
std::string power_colour(int power);

// Every power's centres per year, one line each in its colour, the outcome in the title;
// a power without a name is left out.
charts::LineChart centres_chart(const std::map<int, std::vector<int>>& centres_by_year,
                                const std::vector<std::string>& power_names,
                                const std::string& outcome);

}  // namespace quorvel::server
