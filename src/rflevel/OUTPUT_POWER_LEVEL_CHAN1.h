// Channel 1's output power level ("CH1OUTPWRLVL"); refused to other users while RFLEVEL is held.
#pragma once

#include "OutputPowerLevel.h"
#include "Keys.h"

class OUTPUT_POWER_LEVEL_CHAN1 : public radalt::OutputPowerLevel {
 public:
  static const char* const PersistanceName;
  OUTPUT_POWER_LEVEL_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                           Velmarin::Lockable_i& rfLevel)
      : OutputPowerLevel(1, radalt::key::CH1OUTPWRLVL, PersistanceName, store, namer, gui, mc, rfLevel) {}

  void OutputPowerLevelChan1Callback(const VALUE_DOUBLE::VALUE& value) { Callback(value); }
  void RecallOutputPowerLevelChan1() { Recall(); }
  bool OutputPowerLevelChan1SetValue(const VALUE_DOUBLE::VALUE& value) { return SetValue(value); }
  Velmarin::EngineAttribValueDouble_ptr OutputPowerLevelChan1() { return Reference(); }
};
