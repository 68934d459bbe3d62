#pragma once

#include <map>
#include <string>
#include <vector>

namespace quorvel::server {

// "AUS" for power 0, and so on.
std::string power_name(int power);

// "1901: AUS  4 ENG  4 ...": the powers' centres after a year's autumn.
std::string centres_line(int year, const std::vector<int>& counts);

// The table printed at a game's end: each power, its player, its centres year by year,
// and its final count.
std::string result_table(const std::map<int, std::vector<int>>& centres_by_year,
                         const std::vector<std::string>& players,
                         const std::vector<int>& final_counts);

}  // namespace quorvel::server
