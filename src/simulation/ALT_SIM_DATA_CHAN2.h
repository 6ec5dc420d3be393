// Channel 2's altitude profile ("CH2LEGDATA"), kept in the profile store; refused to other
// users while PROFILETEST is held.
#pragma once

#include "AltSimDataParameter.h"

class ALT_SIM_DATA_CHAN2 : public radalt::AltSimDataParameter {
 public:
  ALT_SIM_DATA_CHAN2(STpersistance* altSimStore, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                     Velmarin::Lockable_i& profileTest)
      : AltSimDataParameter(2, altSimStore, namer, gui, mc, profileTest) {}

  void AltSimDataChan2Callback(const CORBA::Any& data) { Callback(data); }
  void AltSimDataChan2SetValue(const CORBA::Any& data) { SetValue(data); }
  void RecallChan2AltSimData() { Recall(); }
  Velmarin::EngineAttribAny_ptr AltSimDataChan2() { return Reference(); }
};
