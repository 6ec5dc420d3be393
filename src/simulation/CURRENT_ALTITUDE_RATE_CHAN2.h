// Channel 2's altitude rate ("CH2CURALTRATE"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_RATE_CHAN2 : public radalt::AltitudeRateParameter {
 public:
  CURRENT_ALTITUDE_RATE_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                              Velmarin::Lockable_i& group)
      : RampParameter(2, store, namer, gui, mc, group) {}

  void CurrentAltitudeRateChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeRateChan2() { Recall(); }
  bool CurrentAltitudeRateChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentAltitudeRateChan2() { return Reference(); }
};
