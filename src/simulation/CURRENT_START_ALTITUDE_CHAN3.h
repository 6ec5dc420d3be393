// Channel 3's ramp start altitude ("CH3CURSTARTALT"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_START_ALTITUDE_CHAN3 : public radalt::StartAltitudeParameter {
 public:
  CURRENT_START_ALTITUDE_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                               Velmarin::Lockable_i& group)
      : RampParameter(3, store, namer, gui, mc, group) {}

  void CurrentStartAltitudeChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentStartAltitudeChan3() { Recall(); }
  bool CurrentStartAltitudeChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentStartAltitudeChan3() { return Reference(); }
};
