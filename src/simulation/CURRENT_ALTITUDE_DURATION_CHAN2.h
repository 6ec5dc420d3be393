// Channel 2's ramp duration ("CH2CURALTDUR"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_DURATION_CHAN2 : public radalt::AltitudeDurationParameter {
 public:
  CURRENT_ALTITUDE_DURATION_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                  Velmarin::Lockable_i& group)
      : RampParameter(2, store, namer, gui, mc, group) {}

  void CurrentAltitudeDurationChan2Callback(const VALUE_LONG::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeDurationChan2() { Recall(); }
  bool CurrentAltitudeDurationChan2SetValue(const VALUE_LONG::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueLong_ptr CurrentAltitudeDurationChan2() { return Reference(); }
};
