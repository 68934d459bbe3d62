#include "tuning/tuning_trend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvel::tuning {

namespace {

constexpr int kBlock = 25;
constexpr int kTrendSteps = 100;

}  // namespace

std::vector<double> block_means(const std::vector<double>& objective, int block) {
  std::vector<double> means;
  if (block <= 0) return means;
  for (std::size_t start = 0; start < objective.size(); start += static_cast<std::size_t>(block)) {
    const std::size_t end = std::min(objective.size(), start + static_cast<std::size_t>(block));
    double sum = 0;
    for (std::size_t i = start; i < end; ++i)
      sum += objective[i];
    means.push_back(sum / static_cast<double>(end - start));
  }
  return means;
}

Trend trend_of(const std::vector<double>& objective, int last) {
  const std::size_t n = std::min(objective.size(), static_cast<std::size_t>(std::max(last, 0)));
  Trend trend;
  if (n < 3) return trend;
  const std::size_t first = objective.size() - n;
  const double mean_x = static_cast<double>(n - 1) / 2;
  double mean_y = 0;
  for (std::size_t i = 0; i < n; ++i)
    mean_y += objective[first + i];
  mean_y /= static_cast<double>(n);
  double sxx = 0;
  double sxy = 0;
  double syy = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double dx = static_cast<double>(i) - mean_x;
    const double dy = objective[first + i] - mean_y;
    sxx += dx * dx;
    sxy += dx * dy;
    syy += dy * dy;
  }
  trend.slope = sxy / sxx;
  const double residuals = std::max(syy - trend.slope * sxy, 0.0);
  // The normal quantile: the fits that matter span dozens of steps.
  trend.interval = 1.96 * std::sqrt(residuals / static_cast<double>(n - 2) / sxx);
  trend.steps = static_cast<int>(n);
  return trend;
}

std::string trend_report(const std::vector<double>& objective) {
  std::string report = "Objective per " + std::to_string(kBlock) + " steps:";
  char number[64];
  for (double mean : block_means(objective, kBlock)) {
    std::snprintf(number, sizeof number, " %.2f", mean);
    report += number;
  }
  const std::size_t rest = objective.size() % kBlock;
  if (rest != 0) report += " (the last of " + std::to_string(rest) + " steps)";
  report += "\n";
  const Trend trend = trend_of(objective, kTrendSteps);
  if (trend.steps == 0) return report;
  const double slope = trend.slope * kBlock;
  const double interval = trend.interval * kBlock;
  const char* verdict = slope - interval > 0   ? "still rising"
                        : slope + interval < 0 ? "falling"
                                               : "no longer rising beyond the noise";
  std::snprintf(number, sizeof number, "%+.2f ± %.2f", slope, interval);
  report += "Trend of the last " + std::to_string(trend.steps) + " steps: " + number + " per " +
            std::to_string(kBlock) + " steps, " + verdict + "\n";
  return report;
}

}  // namespace quorvel::tuning
