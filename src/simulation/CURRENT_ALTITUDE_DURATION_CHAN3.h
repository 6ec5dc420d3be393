// Channel 3's ramp duration ("CH3CURALTDUR"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_DURATION_CHAN3 : public radalt::AltitudeDurationParameter {
 public:
  CURRENT_ALTITUDE_DURATION_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                  Velmarin::Lockable_i& group)
      : RampParameter(3, store, namer, gui, mc, group) {}

  void CurrentAltitudeDurationChan3Callback(const VALUE_LONG::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeDurationChan3() { Recall(); }
  bool CurrentAltitudeDurationChan3SetValue(const VALUE_LONG::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueLong_ptr CurrentAltitudeDurationChan3() { return Reference(); }
};
