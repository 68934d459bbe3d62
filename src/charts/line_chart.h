#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorvel::charts {

// A line chart as an SVG document that a browser shows: one line per series, axes with
// rounded ticks, a legend. Needs nothing but the text it writes.
struct Series {
  std::string name;
  std::string colour;  // any SVG colour, e.g. "#1f77b4"
  std::vector<std::pair<double, double>> points;
  bool dashed = false;
};

struct LineChart {
  std::string title;
  std::string x_label;
  std::string y_label;
  std::vector<Series> series;
  bool whole_x = false;  // ticks on whole numbers only, as for years or steps
};

std::string to_svg(const LineChart& chart);
// Writes the document; false when the file cannot be written.
bool write_svg(const LineChart& chart, const std::string& path);

}  // namespace quorvel::charts
