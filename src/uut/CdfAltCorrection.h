// Whether the altitude correction of CDF altimeters is applied ("CDFALTCORRECTION").
#pragma once

#include "EnumSetting.h"

class CdfAltCorrection : public radalt::EnumSetting {
 public:
  explicit CdfAltCorrection(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::CdfAltCorrection) {}

  void CdfAltCorrCallback(int value) { Write(value); }
  void RecallCdfAltCorr() { Recall(); }
  Velmarin::EngineAttribEnumParams get_CdfAltCorrParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr CdfAltCorr() { return Accessor(); }
};
