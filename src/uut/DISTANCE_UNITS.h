// The units distances are shown and entered in ("DISTUNITS", 0 feet, 1 metres). The
// distance offset follows the units channel 1's engine shows.
#pragma once

#include "EnumSetting.h"

class DISTANCE_UNITS : public radalt::EnumSetting {
 public:
  explicit DISTANCE_UNITS(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::DistanceUnits) {}

  void DistanceUnitsCallback(int value) { Write(value); }
  void RecallDistanceUnits() { Recall(); }
  Velmarin::EngineAttribEnumParams get_DistanceUnitsParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr DistanceUnits() { return Accessor(); }
};
