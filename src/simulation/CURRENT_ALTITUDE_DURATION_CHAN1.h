// Channel 1's ramp duration ("CH1CURALTDUR"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_DURATION_CHAN1 : public radalt::AltitudeDurationParameter {
 public:
  CURRENT_ALTITUDE_DURATION_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                  Velmarin::Lockable_i& group)
      : RampParameter(1, store, namer, gui, mc, group) {}

  void CurrentAltitudeDurationChan1Callback(const VALUE_LONG::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeDurationChan1() { Recall(); }
  bool CurrentAltitudeDurationChan1SetValue(const VALUE_LONG::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueLong_ptr CurrentAltitudeDurationChan1() { return Reference(); }
};
