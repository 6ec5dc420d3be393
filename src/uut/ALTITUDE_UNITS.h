// The units altitudes are shown and entered in ("ALTUNITS").
#pragma once

#include "EnumSetting.h"

class ALTITUDE_UNITS : public radalt::EnumSetting {
 public:
  explicit ALTITUDE_UNITS(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::AltitudeUnits) {}

  void AltitudeUnitsCallback(int value) { Write(value); }
  void RecallAltitudeUnits() { Recall(); }
  Velmarin::EngineAttribEnumParams get_AltitudeUnitsParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr AltitudeUnits() { return Accessor(); }
};
