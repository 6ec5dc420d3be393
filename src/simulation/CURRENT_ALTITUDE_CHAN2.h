// Channel 2's current altitude ("CH2CURALT"); refused to other users while CURRENTALT is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_CHAN2 : public radalt::CurrentAltitudeParameter {
 public:
  CURRENT_ALTITUDE_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                         Velmarin::Lockable_i& group)
      : RampParameter(2, store, namer, gui, mc, group) {}

  void CurrentAltitudeChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeChan2() { Recall(); }
  bool CurrentAltitudeChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentAltitudeChan2() { return Reference(); }
};
