// How frequencies are shown ("FREQDISPLAYMODE").
#pragma once

#include "EnumSetting.h"

class FreqDisplayMode : public radalt::EnumSetting {
 public:
  explicit FreqDisplayMode(radalt::Core* mc) : EnumSetting(mc, radalt::EnumRole::FreqDisplayMode) {}

  void freqDisplayModeCallback(int value) { Write(value); }
  void recallFreqDisplayMode() { Recall(); }
  Velmarin::EngineAttribEnumParams get_FreqDisplayModeParams() const { return Params(); }
  Velmarin::EngineAttribEnum_ptr freqDisplayMode() { return Accessor(); }
};
