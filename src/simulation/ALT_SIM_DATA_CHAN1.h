// Channel 1's altitude profile ("CH1LEGDATA"), kept in the profile store; refused to other
// users while PROFILETEST is held.
#pragma once

#include "AltSimDataParameter.h"

class ALT_SIM_DATA_CHAN1 : public radalt::AltSimDataParameter {
 public:
  ALT_SIM_DATA_CHAN1(STpersistance* altSimStore, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                     Velmarin::Lockable_i& profileTest)
      : AltSimDataParameter(1, altSimStore, namer, gui, mc, profileTest) {}

  void AltSimDataChan1Callback(const CORBA::Any& data) { Callback(data); }
  void AltSimDataChan1SetValue(const CORBA::Any& data) { SetValue(data); }
  void RecallChan1AltSimData() { Recall(); }
  Velmarin::EngineAttribAny_ptr AltSimDataChan1() { return Reference(); }
};
