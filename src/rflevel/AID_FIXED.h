// The fixed AID choice ("AIDFIXED"); always refused to clients (AIDITEMS stays locked).
#pragma once

#include "AidSetting.h"

class AID_FIXED : public radalt::AidSetting<radalt::AidEnumKind> {
 public:
  AID_FIXED(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
            Velmarin::Lockable_i& settings, Velmarin::Lockable_i& aidItems);

  void AidFixedCallback(int v) { Callback(v); }
  void RecallAidFixed() { Recall(); }
  Velmarin::EngineAttribEnumParams get_AidFixedParams() { return attr_.ParamsCopy(); }
  Velmarin::EngineAttribEnum_ptr AidFixed() { return Reference(); }
};
