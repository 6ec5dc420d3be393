// The values a writer alternates between: two values the attribute accepts, close to the
// one it holds, so that every write is a change and no cross-check of the engine trips.
#pragma once

#include <utility>
#include <vector>

namespace radalt_bench {

// For a number within [min, max] moving by step (0: no step known): current (clamped to the
// limits, rounded to a whole number when integral) and a second value ten steps (or a
// hundredth of the range) away, upwards when there is room, else downwards. Limits that
// allow one value only give that value twice.
std::pair<double, double> AlternatePair(double current, double min, double max, double step,
                                        bool integral);

// For an enumeration: current when it is allowed (else the first allowed value) and another
// allowed value; the same value twice when there is only one.
std::pair<long, long> AlternateEnum(long current, const std::vector<long>& allowed);

}  // namespace radalt_bench
