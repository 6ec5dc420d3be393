#include "Values.h"

#include <algorithm>
#include <cmath>

namespace radalt_bench {

std::pair<double, double> AlternatePair(double current, double min, double max, double step,
                                        bool integral) {
  if (min > max) std::swap(min, max);
  double a = std::isfinite(current) ? std::clamp(current, min, max) : min;
  if (integral) a = std::clamp(std::round(a), std::ceil(min), std::floor(max));
  double delta = step > 0 ? 10 * step : (max - min) / 100;
  if (integral) delta = std::max(1.0, std::round(delta));
  if (delta <= 0 || max - min <= 0) return {a, a};
  delta = std::min(delta, max - min);
  const double b = (a + delta <= max) ? a + delta : a - delta;
  return {a, std::clamp(b, min, max)};
}

std::pair<long, long> AlternateEnum(long current, const std::vector<long>& allowed) {
  if (allowed.empty()) return {current, current};
  const bool known = std::find(allowed.begin(), allowed.end(), current) != allowed.end();
  const long a = known ? current : allowed.front();
  for (long v : allowed)
    if (v != a) return {a, v};
  return {a, a};
}

}  // namespace radalt_bench
