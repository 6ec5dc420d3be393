#include "Ramp.h"

#include <algorithm>
#include <cmath>

namespace radaltsim {

namespace {

// Whole seconds needed for `seconds` of flying, rounded up. A quotient that lands a hair above
// a whole number through floating-point noise (1.1 / 0.1) counts as that whole number.
long WholeSecondsUp(double seconds) { return static_cast<long>(std::ceil(seconds - 1e-6)); }

bool InsideAltitudes(double a, const RampLimits& l) {
  return a >= l.minAltitude - 1e-9 && a <= l.maxAltitude + 1e-9;
}

}  // namespace

double Ramp::Span() const { return std::fabs(stop - start); }

bool Ramp::Level() const { return !(Span() >= kLevelTolerance); }

Ramp DurationFollowsRate(Ramp r, const RampLimits& limits) {
  if (r.Level()) return r;
  if (!(r.rate > 0.0)) return RateFollowsDuration(r, limits);
  const double seconds = r.Span() / r.rate;
  if (!(seconds <= limits.maxDuration)) {
    r.duration = limits.maxDuration;
    r.rate = r.Span() / limits.maxDuration;
    return r;
  }
  r.duration = std::max(limits.minDuration, WholeSecondsUp(seconds));
  return r;
}

Ramp RateFollowsDuration(Ramp r, const RampLimits& limits) {
  if (r.Level() || !(limits.maxRate > 0.0)) return r;
  r.duration = std::clamp(r.duration, limits.minDuration, limits.maxDuration);
  if (r.Span() / r.duration > limits.maxRate)
    r.duration = std::max(limits.minDuration, WholeSecondsUp(r.Span() / limits.maxRate));
  r.rate = r.Span() / r.duration;
  return r;
}

LegPlan PlanLeg(double start, double stop, double rateOrDuration, const RampLimits& limits) {
  LegPlan leg;
  leg.start = start;
  leg.stop = stop;
  if (!std::isfinite(start) || !std::isfinite(stop) || !std::isfinite(rateOrDuration)) return leg;
  if (!InsideAltitudes(start, limits) || !InsideAltitudes(stop, limits)) return leg;

  const double span = std::fabs(stop - start);
  if (span < kLevelTolerance) {
    const double hold = std::trunc(rateOrDuration);
    if (hold < limits.minDuration || hold > limits.maxDuration) return leg;
    leg.duration = static_cast<long>(hold);
    leg.valid = true;
    return leg;
  }
  if (!(rateOrDuration > 0.0) || rateOrDuration > limits.maxRate + 1e-9) return leg;
  const double seconds = span / rateOrDuration;
  if (!(seconds <= limits.maxDuration)) return leg;  // also an infinite quotient
  leg.rate = rateOrDuration;
  leg.duration = std::max(limits.minDuration, WholeSecondsUp(seconds));
  leg.valid = true;
  return leg;
}

long TotalDuration(const std::vector<LegPlan>& legs) {
  long total = 0;
  for (const auto& leg : legs)
    if (leg.valid) total += leg.duration;
  return total;
}

double MoveToward(double from, double to, double distance) {
  if (!(distance < std::fabs(to - from))) return to;
  return to > from ? from + distance : from - distance;
}

}  // namespace radaltsim
