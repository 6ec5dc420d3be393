// The CDF sub-type of the UUT ("UUTCDFSUBTYPE"), locked while detection is automatic.
#pragma once

#include "EnumSetting.h"

class UUT_CDF_SUB_TYPE : public radalt::EnumSetting {
 public:
  explicit UUT_CDF_SUB_TYPE(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::UutCdfSubType) {}

  void UutCdfSubTypeCallback(int value) { Write(value); }
  void RecallUutCdfSubType() { Recall(); }
  Velmarin::EngineAttribEnumParams get_UutCdfSubTypeParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr UutCdfSubType() { return Accessor(); }
};
