// Channel 3's output power level ("CH3OUTPWRLVL"); refused to other users while RFLEVEL is held.
#pragma once

#include "OutputPowerLevel.h"
#include "Keys.h"

class OUTPUT_POWER_LEVEL_CHAN3 : public radalt::OutputPowerLevel {
 public:
  static const char* const PersistanceName;
  OUTPUT_POWER_LEVEL_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                           Velmarin::Lockable_i& rfLevel)
      : OutputPowerLevel(3, radalt::key::CH3OUTPWRLVL, PersistanceName, store, namer, gui, mc, rfLevel) {}

  void OutputPowerLevelChan3Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallOutputPowerLevelChan3() { Recall(); }
  bool OutputPowerLevelChan3SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr OutputPowerLevelChan3() { return Reference(); }
};
