// Channel 1's ramp stop altitude ("CH1CURSTOPALT"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_STOP_ALTITUDE_CHAN1 : public radalt::StopAltitudeParameter {
 public:
  CURRENT_STOP_ALTITUDE_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                              Velmarin::Lockable_i& group)
      : RampParameter(1, store, namer, gui, mc, group) {}

  void CurrentStopAltitudeChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentStopAltitudeChan1() { Recall(); }
  bool CurrentStopAltitudeChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentStopAltitudeChan1() { return Reference(); }
};
