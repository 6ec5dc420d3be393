// Channel 1's altitude rate ("CH1CURALTRATE"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_RATE_CHAN1 : public radalt::AltitudeRateParameter {
 public:
  CURRENT_ALTITUDE_RATE_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                              Velmarin::Lockable_i& group)
      : RampParameter(1, store, namer, gui, mc, group) {}

  void CurrentAltitudeRateChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeRateChan1() { Recall(); }
  bool CurrentAltitudeRateChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentAltitudeRateChan1() { return Reference(); }
};
