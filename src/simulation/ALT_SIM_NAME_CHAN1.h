// Channel 1's profile name ("CH1PROFILENAME").
#pragma once

#include "AltSimNameParameter.h"

class ALT_SIM_NAME_CHAN1 : public radalt::AltSimNameParameter {
 public:
  ALT_SIM_NAME_CHAN1(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : AltSimNameParameter(1, store, namer, gui, mc) {}

  void AltSimNameChan1Callback(const char* name) { Callback(name); }
  void RecallAltSimNameChan1() { Recall(); }
  void AltSimNameChan1SetValue(const char* name) { SetValue(name); }
  Velmarin::EngineAttribString_ptr AltSimNameChan1() { return Reference(); }
};
