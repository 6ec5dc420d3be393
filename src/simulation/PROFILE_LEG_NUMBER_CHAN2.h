// The leg channel 2's engine is flying.
#pragma once

#include "ProfileLegNumber.h"

class PROFILE_LEG_NUMBER_CHAN2 : public radalt::ProfileLegNumber {
 public:
  explicit PROFILE_LEG_NUMBER_CHAN2(radalt::Core* mc) : ProfileLegNumber(2, mc) {}
  Velmarin::EngineReadingLong_ptr ProfileLegNumberChan2() { return Reading(); }
};
