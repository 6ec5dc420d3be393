// Whether one channel's profile changed since it was stored or recalled: clients read and
// write the channel engine's own flag.
#pragma once

#include "SimulationCommon.h"

class ALT_SIM_MODIFIED {
 public:
  ALT_SIM_MODIFIED(int channel, radalt::Core* mc) : channel_(channel), mc_(mc) {}
  virtual ~ALT_SIM_MODIFIED() = default;

  // Channel's engine attribute (the caller owns the reference); "Channel N not enabled" while
  // the channel is not enabled.
  Velmarin::EngineAttribBoolean_ptr AltSimModified();

 private:
  const int channel_;
  radalt::Core* mc_;
};
