// Channel 3's altitude profile ("CH3LEGDATA"), kept in the profile store; refused to other
// users while PROFILETEST is held.
#pragma once

#include "AltSimDataParameter.h"

class ALT_SIM_DATA_CHAN3 : public radalt::AltSimDataParameter {
 public:
  ALT_SIM_DATA_CHAN3(STpersistance* altSimStore, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                     Velmarin::Lockable_i& profileTest)
      : AltSimDataParameter(3, altSimStore, namer, gui, mc, profileTest) {}

  void AltSimDataChan3Callback(const CORBA::Any& data) { Callback(data); }
  void AltSimDataChan3SetValue(const CORBA::Any& data) { SetValue(data); }
  void RecallChan3AltSimData() { Recall(); }
  Velmarin::EngineAttribAny_ptr AltSimDataChan3() { return Reference(); }
};
