// The leg one channel's engine is flying: clients read the engine's own reading.
#pragma once

#include <string>

#include "SimulationCommon.h"

namespace radalt {

class ProfileLegNumber {
 public:
  virtual ~ProfileLegNumber() = default;
  // Channel's engine reading (the caller owns the reference); "Channel N not enabled" while
  // the channel is not enabled.
  Velmarin::EngineReadingLong_ptr Reading();

 protected:
  ProfileLegNumber(int channel, radalt::Core* mc) : channel_(channel), mc_(mc) {}

 private:
  const int channel_;
  radalt::Core* mc_;
};

}  // namespace radalt
