#include "Stats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace radalt_bench {

double NearestRank(const std::vector<double>& sorted, double q) {
  const double rank = std::ceil(q * static_cast<double>(sorted.size()));
  const std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
  return sorted[std::min(index, sorted.size() - 1)];
}

Summary Summarize(std::vector<double> samples) {
  Summary s;
  if (samples.empty()) return s;
  std::sort(samples.begin(), samples.end());
  s.n = samples.size();
  s.p50 = NearestRank(samples, 0.50);
  s.p99 = NearestRank(samples, 0.99);
  s.min = samples.front();
  s.max = samples.back();
  s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(s.n);
  return s;
}

}  // namespace radalt_bench
