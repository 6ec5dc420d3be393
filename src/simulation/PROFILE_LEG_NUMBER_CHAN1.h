// The leg channel 1's engine is flying.
#pragma once

#include "ProfileLegNumber.h"

class PROFILE_LEG_NUMBER_CHAN1 : public radalt::ProfileLegNumber {
 public:
  explicit PROFILE_LEG_NUMBER_CHAN1(radalt::Core* mc) : ProfileLegNumber(1, mc) {}
  Velmarin::EngineReadingLong_ptr ProfileLegNumberChan1() { return Reading(); }
};
