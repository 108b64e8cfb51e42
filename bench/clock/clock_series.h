// clock_series.h - figures for a sampled clock.
//
// A series of (wall time, clock reading) pairs, both in milliseconds, and
// the three figures the clock benchmark prints for it.
#ifndef ZIBO_BENCH_CLOCK_CLOCK_SERIES_H
#define ZIBO_BENCH_CLOCK_CLOCK_SERIES_H

#include <cstddef>
#include <vector>

namespace zibo::bench {

struct ClockSample {
  double wall_ms;
  double clock_ms;
};

// Readings smaller than the one before.
size_t BackwardSteps(const std::vector<ClockSample>& series);
// Largest distance of a reading from the least-squares line through all of
// them, in ms; `slope` (if given) receives the line's clock ms per wall ms.
double LargestLineDistance(const std::vector<ClockSample>& series, double* slope = nullptr);
// Standard deviation of the differences between consecutive readings.
double StepStdDev(const std::vector<ClockSample>& series);
// The same for the differences less `slope` times the wall-time differences:
// what is left when the sampler's own wake-up jitter is taken out.
double StepStdDevAgainstWall(const std::vector<ClockSample>& series, double slope);
// The samples from the first one whose `clock_ms` in `reference` is above 0.
std::vector<ClockSample> FromFirstMovement(const std::vector<ClockSample>& series,
                                           const std::vector<ClockSample>& reference);

}  // namespace zibo::bench

#endif
