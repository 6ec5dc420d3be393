// Whether channel 1's output power and loop loss apply to every enabled channel
// ("COUPLEDMANUALRFLVL").
#pragma once

#include "BooleanSetting.h"

class COUPLED_MANUAL_RF_LEVEL : public radalt::BooleanSetting {
 public:
  static const char* const PersistanceName;
  COUPLED_MANUAL_RF_LEVEL(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, RADALT_MC* mc);

  void CoupledManualRfLevelCallback(int coupled);
  void RecallCoupledManualRfLevel() { AssignRecalled(); }
  Velmarin::EngineAttribBoolean_ptr CoupledManualRfLevel() { return This(); }
};
