// The AID mode ("AIDMODE"); always refused to clients (AIDITEMS stays locked).
#pragma once

#include "AidSetting.h"

class AID_MODE : public radalt::AidSetting<radalt::AidEnumKind> {
 public:
  AID_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
           Velmarin::Lockable_i& settings, Velmarin::Lockable_i& aidItems);

  void AidModeCallback(int v) { Callback(v); }
  void RecallAidMode() { Recall(); }
  Velmarin::EngineAttribEnumParams get_AidModeParams() { return attr_.ParamsCopy(); }
  Velmarin::EngineAttribEnum_ptr AidMode() { return Reference(); }
};
