// The UUT type ("UUTTYPE"), locked while detection is automatic.
#pragma once

#include "EnumSetting.h"

class UUT_TYPE : public radalt::EnumSetting {
 public:
  explicit UUT_TYPE(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::UutType) {}

  void UutTypeCallback(int value) { Write(value); }
  void RecallUutType() { Recall(); }
  Velmarin::EngineAttribEnumParams get_UutTypeParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr UutType() { return Accessor(); }
};
