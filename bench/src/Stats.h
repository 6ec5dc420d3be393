// Summaries of measured durations.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

namespace radalt_bench {

using Clock = std::chrono::steady_clock;

// Microseconds between two instants of the steady clock.
inline double MicrosBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::micro>(to - from).count();
}

struct Summary {
  std::size_t n = 0;
  double p50 = 0;
  double p99 = 0;
  double min = 0;
  double max = 0;
  double mean = 0;
};

// The q-quantile (0 < q <= 1) by nearest rank: the smallest sample with at least q of the
// samples at or below it. sorted must be in ascending order and not empty.
double NearestRank(const std::vector<double>& sorted, double q);

// Percentiles and extremes of samples (empty: every field 0).
Summary Summarize(std::vector<double> samples);

}  // namespace radalt_bench
