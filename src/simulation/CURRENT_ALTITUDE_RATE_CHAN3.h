// Channel 3's altitude rate ("CH3CURALTRATE"); refused to other users while MANUALTEST is held.
#pragma once

#include "RampParameter.h"

class CURRENT_ALTITUDE_RATE_CHAN3 : public radalt::AltitudeRateParameter {
 public:
  CURRENT_ALTITUDE_RATE_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                              Velmarin::Lockable_i& group)
      : RampParameter(3, store, namer, gui, mc, group) {}

  void CurrentAltitudeRateChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallCurrentAltitudeRateChan3() { Recall(); }
  bool CurrentAltitudeRateChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr CurrentAltitudeRateChan3() { return Reference(); }
};
