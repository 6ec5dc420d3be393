// How powers are shown ("POWERDISPLAYMODE"); clients find it locked while the group
// POWERDISPLAYMODE is held, which the master control does from start-up.
#pragma once

#include "EnumSetting.h"

class PowerDisplayMode : public radalt::EnumSetting {
 public:
  explicit PowerDisplayMode(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::PowerDisplayMode) {}

  void powerDisplayModeCallback(int value) { Write(value); }
  void recallPowerDisplayMode() { Recall(); }
  Velmarin::EngineAttribEnumParams get_PowerDisplayModeParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr powerDisplayMode() { return Accessor(); }
};
