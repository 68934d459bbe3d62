#pragma once

#include <map>
#include <string>
#include <vector>

#include "protocol/token.h"

namespace quorvel::server {

// "AUS" for power 0, and so on.
std::string power_name(int power);

// The count of a power that the map leaves out; reports skip it.
inline constexpr int kAbsent = -1;

// "1901: AUS  4 ENG  4 ...": the powers' centres after a year's autumn.
std::string centres_line(int year, const std::vector<int>& counts);

// The table printed at a game's end: each power, its player, its centres year by year,
// and its final count.
std::string result_table(const std::map<int, std::vector<int>>& centres_by_year,
                         const std::vector<std::string>& players,
                         const std::vector<int>& final_counts);

// "FRA wins alone in 1915" or "draw after 1935", for a game that ended in the phase of
// the season and year given (after the last year, for a draw at the limit).
std::string outcome_text(int winner, Token season, int year, int last_year);

// What the end of a game prints and records, a line each: "Result: " and the outcome,
// then the table of centres.
std::vector<std::string> end_of_game_report(const std::string& outcome,
                                            const std::map<int, std::vector<int>>& centres_by_year,
                                            const std::vector<std::string>& players,
                                            const std::vector<int>& final_counts);

}  // namespace quorvel::server
