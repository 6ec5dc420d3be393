// Channel 2's output power level ("CH2OUTPWRLVL"); refused to other users while RFLEVEL is held.
#pragma once

#include "OutputPowerLevel.h"
#include "Keys.h"

class OUTPUT_POWER_LEVEL_CHAN2 : public radalt::OutputPowerLevel {
 public:
  static const char* const PersistanceName;
  OUTPUT_POWER_LEVEL_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                           Velmarin::Lockable_i& rfLevel)
      : OutputPowerLevel(2, radalt::key::CH2OUTPWRLVL, PersistanceName, store, namer, gui, mc, rfLevel) {}

  void OutputPowerLevelChan2Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallOutputPowerLevelChan2() { Recall(); }
  bool OutputPowerLevelChan2SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr OutputPowerLevelChan2() { return Reference(); }
};
