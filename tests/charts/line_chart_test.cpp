#include "charts/line_chart.h"

#include <gtest/gtest.h>

namespace quorvel::charts {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++n;
  return n;
}

TEST(LineChart, OneLineAndLegendEntryPerSeriesAndTextEscaped) {
  LineChart chart{"A & B <test>", "year", "centres", {}};
  for (int s = 0; s < 7; ++s) {
    Series series{"power " + std::to_string(s), "#123456", {}, s == 3};
    for (int x = 1901; x <= 1910; ++x)
      series.points.emplace_back(x, (x - 1900) * s);
    chart.series.push_back(series);
  }
  const std::string svg = to_svg(chart);
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  EXPECT_EQ(count(svg, "<polyline"), 7u);
  EXPECT_EQ(count(svg, ">power "), 7u);
  EXPECT_NE(svg.find("A &amp; B &lt;test&gt;"), std::string::npos);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
  // No data at all still gives a valid, empty chart.
  EXPECT_EQ(count(to_svg(LineChart{"empty", "x", "y", {}}), "</svg>"), 1u);
}

}  // namespace
}  // namespace quorvel::charts
