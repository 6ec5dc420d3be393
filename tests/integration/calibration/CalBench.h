// The test set with engines that calibrate (short calibration times) and the self-test lock.
#pragma once

#include <chrono>
#include <cmath>

#include "../../support/TestSet.h"
#include "CALIBRATION.h"

namespace calbench {

using namespace Velmarin;
using namespace std::chrono_literals;
using radalt::LockGroup;

// The nine groups a calibration takes.
const LockGroup kActivityGroups[] = {LockGroup::SIMRUN,          LockGroup::DIAGTXOUTPUT,
                                     LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                                     LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                     LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN,
                                     LockGroup::CALRUN};

inline radaltsim::CalibrationTiming EngineTiming() {
  radaltsim::CalibrationTiming t;
  t.step = 20ms;
  t.loopback = 300ms;
  t.user = 150ms;
  t.tick = 5ms;
  return t;
}

class Bench : public testset::Bench {
 public:
  explicit Bench(std::vector<int> channels, radaltsim::CalibrationTiming engineTiming = EngineTiming())
      : testset::Bench({std::move(channels), testset::Stopped(engineTiming), true}) {
    radalt::CalibrationTiming t;
    t.stepTimeout = 5s;
    t.stepPoll = 2ms;
    t.loopbackPeriod = 10ms;
    t.userPeriod = 10ms;
    cal().SetTiming(t);
  }
  CALIBRATION& cal() { return *mc.CalibrationObj(); }
  long EngineNumber(int channel, const char* key) { return std::lround(testset::Bench::EngineNumber(channel, key)); }
  bool AllFree() {
    for (LockGroup g : kActivityGroups)
      if (!Free(g)) return false;
    return true;
  }
};

}  // namespace calbench
