// The units of the profile display ("PROFILEDISPLAYUNITS").
#pragma once

#include "EnumSetting.h"

class ProfileDisplayUnits : public radalt::EnumSetting {
 public:
  explicit ProfileDisplayUnits(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::ProfileDisplayUnits) {}

  void profileDisplayUnitsCallback(int value) { Write(value); }
  void recallProfileDisplayUnits() { Recall(); }
  Velmarin::EngineAttribEnumParams get_ProfileDisplayUnitsParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr profileDisplayUnits() { return Accessor(); }
};
