// The leg channel 3's engine is flying.
#pragma once

#include "ProfileLegNumber.h"

class PROFILE_LEG_NUMBER_CHAN3 : public radalt::ProfileLegNumber {
 public:
  explicit PROFILE_LEG_NUMBER_CHAN3(radalt::Core* mc) : ProfileLegNumber(3, mc) {}
  Velmarin::EngineReadingLong_ptr ProfileLegNumberChan3() { return Reading(); }
};
