// Channel 1's ramp start altitude ("CH1CURSTARTALT"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_START_ALTITUDE_CHAN1 : public radalt::StartAltitudeParameter {
 public:
  CURRENT_START_ALTITUDE_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                               Velmarin::Lockable_i& group)
      : RampParameter(1, store, namer, gui, mc, group) {}

  void CurrentStartAltitudeChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentStartAltitudeChan1() { Recall(); }
  bool CurrentStartAltitudeChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentStartAltitudeChan1() { return Reference(); }
};
