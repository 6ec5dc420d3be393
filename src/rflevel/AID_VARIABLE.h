// The variable AID value ("AIDVAR").
#pragma once

#include "AidSetting.h"

class AID_VARIABLE : public radalt::AidSetting<radalt::AidLongKind> {
 public:
  AID_VARIABLE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
               Velmarin::Lockable_i& settings);

  void AidVariableCallback(const VALUE_LONG::VALUE& v) { Callback(v); }
  void RecallAidVarible() { Recall(); }
  Velmarin::EngineAttribValueLong_ptr AidVariable() { return Reference(); }
};
