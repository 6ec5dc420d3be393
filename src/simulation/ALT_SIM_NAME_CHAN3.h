// Channel 3's profile name ("CH3PROFILENAME").
#pragma once

#include "AltSimNameParameter.h"

class ALT_SIM_NAME_CHAN3 : public radalt::AltSimNameParameter {
 public:
  ALT_SIM_NAME_CHAN3(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
      : AltSimNameParameter(3, store, namer, gui, mc) {}

  void AltSimNameChan3Callback(const char* name) { Callback(name); }
  void RecallAltSimNameChan3() { Recall(); }
  void AltSimNameChan3SetValue(const char* name) { SetValue(name); }
  Velmarin::EngineAttribString_ptr AltSimNameChan3() { return Reference(); }
};
