// Whether this test set follows another one ("SLAVEMODE").
#pragma once

#include "BooleanSetting.h"

class SLAVE_MODE : public radalt::BooleanSetting {
 public:
  static const char* const PersistanceName;
  SLAVE_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  void SlaveModeCallback(int v) { AssignIfChanged(v); }
  void RecallSlaveMode() { AssignRecalled(); }
  Velmarin::EngineAttribBoolean_ptr SlaveMode() { return This(); }
};
