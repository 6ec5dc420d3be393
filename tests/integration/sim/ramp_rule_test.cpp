// The ramp arithmetic of the simulated engine: the manual-mode tie between start, stop, rate
// and duration, and what each profile leg amounts to.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Ramp.h"

using namespace radaltsim;

namespace {

const RampLimits kLimits{-20.0, 10000.0, 5000.0, 1, 86400};

Ramp R(double start, double stop, double rate, long duration) {
  Ramp r;
  r.start = start;
  r.stop = stop;
  r.rate = rate;
  r.duration = duration;
  return r;
}

}  // namespace

TEST(RampRule, DurationFollowsTheRateRoundedUpToWholeSeconds) {
  EXPECT_EQ(5, DurationFollowsRate(R(1000, 500, 100, 1), kLimits).duration);
  EXPECT_EQ(1, DurationFollowsRate(R(1000, 990, 100, 7), kLimits).duration);  // 0.1 s needs 1 s
  EXPECT_EQ(4, DurationFollowsRate(R(0, 1000, 300, 1), kLimits).duration);    // 3.33 s
  // 1.1 / 0.1 is a hair above 11 in floating point: still 11 seconds.
  EXPECT_EQ(11, DurationFollowsRate(R(0, 1.1, 0.1, 1), kLimits).duration);

  // A level has nothing to fly: rate and duration stay as they are.
  const Ramp level = DurationFollowsRate(R(300, 300, 40, 25), kLimits);
  EXPECT_DOUBLE_EQ(40, level.rate);
  EXPECT_EQ(25, level.duration);
}

TEST(RampRule, RampWithoutRateOrTooSlowTakesItsRateFromTheDuration) {
  // No rate: the duration stays and the rate follows it, never a division by zero.
  const Ramp still = DurationFollowsRate(R(0, 1000, 0, 8), kLimits);
  EXPECT_EQ(8, still.duration);
  EXPECT_DOUBLE_EQ(125, still.rate);

  // A rate too slow for the longest duration becomes the slowest that fits.
  const Ramp slow = DurationFollowsRate(R(0, 10000, 1e-300, 1), kLimits);
  EXPECT_EQ(86400, slow.duration);
  EXPECT_DOUBLE_EQ(10000.0 / 86400, slow.rate);
}

TEST(RampRule, RateFollowsTheDuration) {
  const Ramp r = RateFollowsDuration(R(1000, 0, 100, 4), kLimits);
  EXPECT_DOUBLE_EQ(250, r.rate);
  EXPECT_EQ(4, r.duration);
  // Too short for the fastest rate: lengthened to the shortest duration that fits.
  const Ramp fast = RateFollowsDuration(R(0, 10010, 100, 1), kLimits);
  EXPECT_EQ(3, fast.duration);
  EXPECT_LE(fast.rate, kLimits.maxRate);
  EXPECT_DOUBLE_EQ(10010.0 / 3, fast.rate);
  // A level keeps its rate.
  EXPECT_DOUBLE_EQ(7, RateFollowsDuration(R(50, 50, 7, 9), kLimits).rate);
}

TEST(ProfileLegs, RampAndLevelLegsLastWholeSeconds) {
  const LegPlan down = PlanLeg(1000, 500, 100, kLimits);
  ASSERT_TRUE(down.valid);
  EXPECT_DOUBLE_EQ(100, down.rate);
  EXPECT_EQ(5, down.duration);

  const LegPlan shortRamp = PlanLeg(1000, 990, 100, kLimits);
  ASSERT_TRUE(shortRamp.valid);
  EXPECT_EQ(1, shortRamp.duration);

  // A level leg holds for its time truncated to whole seconds, at rate 0.
  const LegPlan level = PlanLeg(400, 400, 30.9, kLimits);
  ASSERT_TRUE(level.valid);
  EXPECT_EQ(30, level.duration);
  EXPECT_DOUBLE_EQ(0.0, level.rate);

  EXPECT_EQ(36, TotalDuration({down, shortRamp, level, PlanLeg(0, 100, 0, kLimits)}));
}

TEST(ProfileLegs, LegsTheItemsCannotShowAreNotValid) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(PlanLeg(0, 100, 0, kLimits).valid);         // a ramp without a rate
  EXPECT_FALSE(PlanLeg(0, 100, -5, kLimits).valid);
  EXPECT_FALSE(PlanLeg(0, 10000, 1e-320, kLimits).valid);  // an infinite quotient
  EXPECT_FALSE(PlanLeg(0, 100, 6000, kLimits).valid);      // faster than the rate item allows
  EXPECT_FALSE(PlanLeg(0, 10000, 0.01, kLimits).valid);    // longer than the duration item allows
  EXPECT_FALSE(PlanLeg(0, 100, inf, kLimits).valid);
  EXPECT_FALSE(PlanLeg(nan, 100, 10, kLimits).valid);
  EXPECT_FALSE(PlanLeg(-50, 100, 10, kLimits).valid);      // below the lowest altitude
  EXPECT_FALSE(PlanLeg(100, 100, 0.5, kLimits).valid);     // a hold shorter than a second
  EXPECT_FALSE(PlanLeg(100, 100, nan, kLimits).valid);
}
