// The arithmetic of a simulated altitude ramp: how start, stop, rate and duration tie together
// in manual mode, and what a profile leg amounts to. Plain numbers, no middleware.
#pragma once

#include <vector>

namespace radaltsim {

// Start and stop closer than this are one altitude: a level, held rather than flown.
constexpr double kLevelTolerance = 0.001;

// What the engine's ramp items can hold.
struct RampLimits {
  double minAltitude;
  double maxAltitude;
  double maxRate;     // altitude units per second
  long minDuration;   // seconds
  long maxDuration;
};

// A manual ramp as the engine shows it: from start to stop at rate, taking duration seconds.
struct Ramp {
  double start = 0.0;
  double stop = 0.0;
  double rate = 0.0;
  long duration = 1;

  double Span() const;   // |stop - start|
  bool Level() const;    // Span() below kLevelTolerance
};

// The ramp after its start, stop or rate changed: the duration follows the rate,
// ceil(span / rate) seconds and at least the shortest duration. A ramp without a rate takes
// its rate from the duration instead; a rate too slow for the longest duration is raised to
// the slowest one that fits. A level keeps its rate and duration.
Ramp DurationFollowsRate(Ramp r, const RampLimits& limits);

// The ramp after its duration changed: the rate follows, span / duration. A duration too short
// for the fastest rate is lengthened to the shortest one that fits. A level keeps its rate.
Ramp RateFollowsDuration(Ramp r, const RampLimits& limits);

// One leg of a profile as it will be flown.
struct LegPlan {
  bool valid = false;
  double start = 0.0;
  double stop = 0.0;
  double rate = 0.0;  // 0 for a level leg
  long duration = 0;  // seconds
};

// A leg from start to stop; rateOrDuration is the rate of a ramp leg and the hold time of a
// level leg. A ramp leg lasts ceil(span / rate) seconds, at least the shortest duration; a level
// leg lasts its hold time truncated to whole seconds. A leg is valid when its numbers are
// finite, its altitudes, rate and duration fit the ramp items, and it lasts at least the
// shortest duration (so a ramp leg without a rate is not valid).
LegPlan PlanLeg(double start, double stop, double rateOrDuration, const RampLimits& limits);

// Seconds of flying time of the valid legs together.
long TotalDuration(const std::vector<LegPlan>& legs);

// Where an altitude moving from `from` toward `to` is after covering `distance`.
double MoveToward(double from, double to, double distance);

}  // namespace radaltsim
