// Channel 2's profile name ("CH2PROFILENAME").
#pragma once

#include "AltSimNameParameter.h"

class ALT_SIM_NAME_CHAN2 : public radalt::AltSimNameParameter {
 public:
  ALT_SIM_NAME_CHAN2(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : AltSimNameParameter(2, store, namer, gui, mc) {}

  void AltSimNameChan2Callback(const char* name) { Callback(name); }
  void RecallAltSimNameChan2() { Recall(); }
  void AltSimNameChan2SetValue(const char* name) { SetValue(name); }
  Velmarin::EngineAttribString_ptr AltSimNameChan2() { return Reference(); }
};
