// Channel 3's ramp stop altitude ("CH3CURSTOPALT"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_STOP_ALTITUDE_CHAN3 : public radalt::StopAltitudeParameter {
 public:
  CURRENT_STOP_ALTITUDE_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                              Velmarin::Lockable_i& group)
      : RampParameter(3, store, namer, gui, mc, group) {}

  void CurrentStopAltitudeChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentStopAltitudeChan3() { Recall(); }
  bool CurrentStopAltitudeChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentStopAltitudeChan3() { return Reference(); }
};
