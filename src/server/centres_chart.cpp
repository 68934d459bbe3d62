#include "server/centres_chart.h"

namespace quorvel::server {

std::string power_colour(int power) {
  // Austria red, England navy, France sky blue, Germany black, Italy green, Russia
  // purple (white would not show), Turkey gold.
  static const char* const kColours[] = {"#c0392b", "#1f3a93", "#3498db", "#2c2c2c",
                                         "#27ae60", "#8e44ad", "#d4ac0d"};
  return power >= 0 && power < 7 ? kColours[power] : "#7f8c8d";
}

charts::LineChart centres_chart(const std::map<int, std::vector<int>>& centres_by_year,
                                const std::vector<std::string>& power_names,
                                const std::string& outcome) {
  charts::LineChart chart{"Centres per year: " + outcome, "year", "supply centres", {}, true};
  for (std::size_t power = 0; power < power_names.size(); ++power) {
    if (power_names[power].empty()) continue;  // a power the map leaves out
    charts::Series series{power_names[power], power_colour(static_cast<int>(power)), {}, false};
    for (const auto& [year, counts] : centres_by_year) {
      if (power < counts.size()) series.points.emplace_back(year, counts[power]);
    }
    chart.series.push_back(std::move(series));
  }
  return chart;
}

}  // namespace quorvel::server
