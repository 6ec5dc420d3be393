// How the RF channels reach the unit under test ("RFCONNECT"); the values are the engines'.
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class RF_CONNECTION : public radalt::Parameter<Velmarin::EngineAttribEnum_i> {
 public:
  static const char* const PersistanceName;
  RF_CONNECTION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  void RfConnectionCallback(int v);
  void RecallRfConnection();
  // The allowed values, as channel 1's engine lists them.
  Velmarin::EngineAttribEnumParams get_RfConnectionParams();
  Velmarin::EngineAttribEnum_ptr RfConnection() { return This(); }
  int Value() const { return attr_.Value(); }
};
