// The named diagnostic settings (DIAG_MODE::DiagModeCallback ...), one class per line of
// DiagSettings.def, each a DiagSetting of its kind.
#pragma once

#include "DiagSetting.h"

#define DIAG_SETTING(CLASS, KEY, SERVANT, CALLBACK, ACCESSOR, PARAMS, ITEM)                                 \
  class CLASS : public radalt::DiagSetting<Velmarin::SERVANT> {                                            \
   public:                                                                                                 \
    explicit CLASS(radalt::Core* mc)                                                                       \
        : DiagSetting(mc, #CLASS, KEY, #CALLBACK, &radalt::SCI::_objref_RADALTSC_MAIN_INTERFACE::ITEM) {}  \
    void CALLBACK(In value) { Write(value); }                                                              \
    auto ACCESSOR() { return This(); }                                                                     \
    auto PARAMS() const { return attr_.ParamsCopy(); }                                                     \
  };
#include "DiagSettings.def"
#undef DIAG_SETTING
