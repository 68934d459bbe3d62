#include "server/game_report.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

#include "game/game_board.h"
#include "protocol/token_message.h"
#include "protocol/tokens.h"

namespace quorvel::server {

std::string power_name(int power) {
  return printed_text(TokenMessage(GameBoard::power_token(power)));
}

std::string centres_line(int year, const std::vector<int>& counts) {
  std::ostringstream line;
  line << year << ":";
  for (std::size_t power = 0; power < counts.size(); ++power) {
    if (counts[power] == kAbsent) continue;
    line << " " << power_name(static_cast<int>(power)) << " " << std::setw(2) << counts[power];
  }
  return line.str();
}

std::string result_table(const std::map<int, std::vector<int>>& centres_by_year,
                         const std::vector<std::string>& players,
                         const std::vector<int>& final_counts) {
  std::ostringstream table;
  table << std::left << std::setw(6) << "Power" << std::setw(18) << "Player";
  for (const auto& [year, counts] : centres_by_year)
    table << std::right << std::setw(5) << year;
  table << std::right << std::setw(7) << "final"
        << "\n";
  for (std::size_t power = 0; power < players.size(); ++power) {
    if (final_counts[power] == kAbsent) continue;
    table << std::left << std::setw(6) << power_name(static_cast<int>(power)) << std::setw(18)
          << players[power].substr(0, 17);
    for (const auto& [year, counts] : centres_by_year)
      table << std::right << std::setw(5) << counts[power];
    table << std::right << std::setw(7) << final_counts[power] << "\n";
  }
  return table.str();
}

std::string outcome_text(int winner, Token season, int year, int last_year) {
  // A game ends after an autumn (in the winter of its year or the spring after) or after
  // a winter: the year its last autumn fell in.
  if (winner >= 0)
    return power_name(winner) + " wins alone in " +
           std::to_string(season == tok::WIN ? year : year - 1);
  return "draw after " + std::to_string(std::min(year - 1, last_year));
}

std::vector<std::string> end_of_game_report(const std::string& outcome,
                                            const std::map<int, std::vector<int>>& centres_by_year,
                                            const std::vector<std::string>& players,
                                            const std::vector<int>& final_counts) {
  std::vector<std::string> lines{"Result: " + outcome};
  std::istringstream table(result_table(centres_by_year, players, final_counts));
  for (std::string line; std::getline(table, line);)
    lines.push_back(line);
  return lines;
}

}  // namespace quorvel::server
