// Channel 2's ramp start altitude ("CH2CURSTARTALT"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_START_ALTITUDE_CHAN2 : public radalt::StartAltitudeParameter {
 public:
  CURRENT_START_ALTITUDE_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                               Velmarin::Lockable_i& group)
      : RampParameter(2, store, namer, gui, mc, group) {}

  void CurrentStartAltitudeChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentStartAltitudeChan2() { Recall(); }
  bool CurrentStartAltitudeChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentStartAltitudeChan2() { return Reference(); }
};
