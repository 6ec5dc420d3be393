// Channel 1's current altitude ("CH1CURALT"); refused to other users while CURRENTALT is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_CHAN1 : public radalt::CurrentAltitudeParameter {
 public:
  CURRENT_ALTITUDE_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                         Velmarin::Lockable_i& group)
      : RampParameter(1, store, namer, gui, mc, group) {}

  void CurrentAltitudeChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeChan1() { Recall(); }
  bool CurrentAltitudeChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentAltitudeChan1() { return Reference(); }
};
