// Channel 3's current altitude ("CH3CURALT"); refused to other users while CURRENTALT is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_CHAN3 : public radalt::CurrentAltitudeParameter {
 public:
  CURRENT_ALTITUDE_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                         Velmarin::Lockable_i& group)
      : RampParameter(3, store, namer, gui, mc, group) {}

  void CurrentAltitudeChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeChan3() { Recall(); }
  bool CurrentAltitudeChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentAltitudeChan3() { return Reference(); }
};
