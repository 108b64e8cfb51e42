#include "clock_series.h"

#include <algorithm>
#include <cmath>

namespace zibo::bench {

size_t BackwardSteps(const std::vector<ClockSample>& series) {
  size_t count = 0;
  for (size_t i = 1; i < series.size(); ++i) {
    if (series[i].clock_ms < series[i - 1].clock_ms) ++count;
  }
  return count;
}

double LargestLineDistance(const std::vector<ClockSample>& series, double* slope_out) {
  const double n = double(series.size());
  if (series.size() < 2) return 0;
  double mean_x = 0, mean_y = 0;
  for (const ClockSample& s : series) {
    mean_x += s.wall_ms / n;
    mean_y += s.clock_ms / n;
  }
  double sxx = 0, sxy = 0;
  for (const ClockSample& s : series) {
    sxx += (s.wall_ms - mean_x) * (s.wall_ms - mean_x);
    sxy += (s.wall_ms - mean_x) * (s.clock_ms - mean_y);
  }
  double slope = sxx > 0 ? sxy / sxx : 0;
  if (slope_out) *slope_out = slope;
  double worst = 0;
  for (const ClockSample& s : series) {
    double line = mean_y + slope * (s.wall_ms - mean_x);
    worst = std::max(worst, std::fabs(s.clock_ms - line));
  }
  return worst;
}

namespace {
double StdDev(const std::vector<double>& steps) {
  if (steps.size() < 2) return 0;
  double mean = 0;
  for (double d : steps) mean += d / double(steps.size());
  double var = 0;
  for (double d : steps) var += (d - mean) * (d - mean) / double(steps.size() - 1);
  return std::sqrt(var);
}
}  // namespace

double StepStdDev(const std::vector<ClockSample>& series) {
  return StepStdDevAgainstWall(series, 0);
}

double StepStdDevAgainstWall(const std::vector<ClockSample>& series, double slope) {
  std::vector<double> steps;
  for (size_t i = 1; i < series.size(); ++i) {
    steps.push_back(series[i].clock_ms - series[i - 1].clock_ms -
                    slope * (series[i].wall_ms - series[i - 1].wall_ms));
  }
  return StdDev(steps);
}

std::vector<ClockSample> FromFirstMovement(const std::vector<ClockSample>& series,
                                           const std::vector<ClockSample>& reference) {
  size_t first = 0;
  while (first < reference.size() && !(reference[first].clock_ms > 0)) ++first;
  return std::vector<ClockSample>(series.begin() + long(std::min(first, series.size())),
                                  series.end());
}

}  // namespace zibo::bench
