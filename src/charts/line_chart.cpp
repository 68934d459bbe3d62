#include "charts/line_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace quorvel::charts {

namespace {

constexpr double kWidth = 800;
constexpr double kHeight = 480;
constexpr double kLeft = 70;
constexpr double kRight = 170;  // room for the legend
constexpr double kTop = 50;
constexpr double kBottom = 60;

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string number(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", x);
  return text;
}

// Ticks at 1, 2 or 5 times a power of ten, about five over the range.
std::vector<double> ticks(double low, double high, bool whole) {
  const double span = high - low;
  const double rough = span / 5;
  const double magnitude = std::pow(10, std::floor(std::log10(rough)));
  double step = magnitude;
  for (double m : {1.0, 2.0, 5.0, 10.0}) {
    step = m * magnitude;
    if (span / step <= 6) break;
  }
  if (whole) step = std::max(step, 1.0);
  std::vector<double> result;
  for (double t = std::ceil(low / step) * step; t <= high + step * 1e-9; t += step)
    result.push_back(std::abs(t) < step * 1e-9 ? 0 : t);
  return result;
}

}  // namespace

std::string to_svg(const LineChart& chart) {
  double x_low = std::numeric_limits<double>::infinity();
  double x_high = -x_low;
  double y_low = x_low;
  double y_high = -x_low;
  for (const Series& s : chart.series) {
    for (const auto& [x, y] : s.points) {
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      x_low = std::min(x_low, x);
      x_high = std::max(x_high, x);
      y_low = std::min(y_low, y);
      y_high = std::max(y_high, y);
    }
  }
  if (!std::isfinite(x_low)) {
    x_low = 0;
    x_high = 1;
    y_low = 0;
    y_high = 1;
  }
  if (x_high == x_low) x_high = x_low + 1;
  if (y_high == y_low) y_high = y_low + 1;
  // A little room above and below the lines.
  const double margin = (y_high - y_low) * 0.05;
  y_low -= margin;
  y_high += margin;

  const double plot_w = kWidth - kLeft - kRight;
  const double plot_h = kHeight - kTop - kBottom;
  auto px = [&](double x) { return kLeft + (x - x_low) / (x_high - x_low) * plot_w; };
  auto py = [&](double y) { return kTop + (y_high - y) / (y_high - y_low) * plot_h; };

  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << kHeight
      << "\" viewBox=\"0 0 " << kWidth << " " << kHeight
      << "\" font-family=\"sans-serif\" font-size=\"12\">\n";
  svg << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  svg << "<text x=\"" << kWidth / 2 << "\" y=\"28\" text-anchor=\"middle\" font-size=\"16\">"
      << escaped(chart.title) << "</text>\n";
  for (double t : ticks(x_low, x_high, chart.whole_x)) {
    svg << "<line x1=\"" << number(px(t)) << "\" y1=\"" << kTop << "\" x2=\"" << number(px(t))
        << "\" y2=\"" << kTop + plot_h << "\" stroke=\"#e0e0e0\"/>\n";
    svg << "<text x=\"" << number(px(t)) << "\" y=\"" << kTop + plot_h + 18
        << "\" text-anchor=\"middle\">" << number(t) << "</text>\n";
  }
  for (double t : ticks(y_low, y_high, false)) {
    svg << "<line x1=\"" << kLeft << "\" y1=\"" << number(py(t)) << "\" x2=\"" << kLeft + plot_w
        << "\" y2=\"" << number(py(t)) << "\" stroke=\"#e0e0e0\"/>\n";
    svg << "<text x=\"" << kLeft - 8 << "\" y=\"" << number(py(t) + 4) << "\" text-anchor=\"end\">"
        << number(t) << "</text>\n";
  }
  svg << "<rect x=\"" << kLeft << "\" y=\"" << kTop << "\" width=\"" << plot_w << "\" height=\""
      << plot_h << "\" fill=\"none\" stroke=\"black\"/>\n";
  svg << "<text x=\"" << kLeft + plot_w / 2 << "\" y=\"" << kHeight - 15
      << "\" text-anchor=\"middle\">" << escaped(chart.x_label) << "</text>\n";
  svg << "<text transform=\"translate(18 " << kTop + plot_h / 2
      << ") rotate(-90)\" text-anchor=\"middle\">" << escaped(chart.y_label) << "</text>\n";

  double legend_y = kTop + 10;
  for (const Series& s : chart.series) {
    svg << "<polyline fill=\"none\" stroke=\"" << escaped(s.colour) << "\" stroke-width=\"2\""
        << (s.dashed ? " stroke-dasharray=\"6 4\"" : "") << " points=\"";
    for (const auto& [x, y] : s.points) {
      if (std::isfinite(x) && std::isfinite(y)) svg << number(px(x)) << "," << number(py(y)) << " ";
    }
    svg << "\"/>\n";
    // Few points get marks, so that a single one shows at all.
    if (s.points.size() <= 60) {
      for (const auto& [x, y] : s.points) {
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        svg << "<circle cx=\"" << number(px(x)) << "\" cy=\"" << number(py(y))
            << "\" r=\"3\" fill=\"" << escaped(s.colour) << "\"/>\n";
      }
    }
    const double lx = kLeft + plot_w + 15;
    svg << "<line x1=\"" << lx << "\" y1=\"" << legend_y << "\" x2=\"" << lx + 25 << "\" y2=\""
        << legend_y << "\" stroke=\"" << escaped(s.colour) << "\" stroke-width=\"2\""
        << (s.dashed ? " stroke-dasharray=\"6 4\"" : "") << "/>\n";
    svg << "<text x=\"" << lx + 32 << "\" y=\"" << legend_y + 4 << "\">" << escaped(s.name)
        << "</text>\n";
    legend_y += 20;
  }
  svg << "</svg>\n";
  return svg.str();
}

bool write_svg(const LineChart& chart, const std::string& path) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << to_svg(chart);
    if (!out.flush()) return false;
  }
  // Unlike std::rename on Windows, this replaces a file that is there.
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace quorvel::charts
