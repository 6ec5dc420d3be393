// Channel 2's ramp stop altitude ("CH2CURSTOPALT"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_STOP_ALTITUDE_CHAN2 : public radalt::StopAltitudeParameter {
 public:
  CURRENT_STOP_ALTITUDE_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                              Velmarin::Lockable_i& group)
      : RampParameter(2, store, namer, gui, mc, group) {}

  void CurrentStopAltitudeChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentStopAltitudeChan2() { Recall(); }
  bool CurrentStopAltitudeChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentStopAltitudeChan2() { return Reference(); }
};
