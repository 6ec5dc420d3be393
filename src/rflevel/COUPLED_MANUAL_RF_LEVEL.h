// Whether channel 1's output power and loop loss apply to every enabled channel
// ("COUPLEDMANUALRFLVL").
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class COUPLED_MANUAL_RF_LEVEL : public radalt::Parameter<Velmarin::EngineAttribBoolean_i> {
 public:
  static const char* const PersistanceName;
  COUPLED_MANUAL_RF_LEVEL(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  void CoupledManualRfLevelCallback(int coupled);
  void RecallCoupledManualRfLevel() { attr_ = Recalled<int>(PersistanceName) != 0; }
  Velmarin::EngineAttribBoolean_ptr CoupledManualRfLevel() { return This(); }
  bool Value() const { return attr_.Value(); }
};
