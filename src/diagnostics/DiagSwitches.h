// The named diagnostic switches (DIAG_OUTPUT_STATUS::DiagOutputStatusCallback ...), each a
// DiagSwitch with its row of the interlock table (DiagSwitch.cpp).
#pragma once

#include "DiagSwitch.h"

#define RADALT_DIAG_SWITCH(CLASS, ROLE, CALLBACK, ACCESSOR)                                         \
  class CLASS : public radalt::DiagSwitch {                                                         \
   public:                                                                                          \
    CLASS(radalt::Core* mc, radalt::DiagInterlock& interlock)                                       \
        : DiagSwitch(mc, interlock, radalt::DiagSwitchRole::ROLE) {}                                \
    /* the servant delivers a bool; any value but 0 is on */                                        \
    void CALLBACK(int value) { Write(value != 0); }                                                 \
    Velmarin::EngineAttribBoolean_ptr ACCESSOR() { return This(); }                                 \
  };

RADALT_DIAG_SWITCH(DIAG_OUTPUT_STATUS, TxOutput, DiagOutputStatusCallback, DiagOutputStatus)
RADALT_DIAG_SWITCH(DIAG_RX_MEASURING, RxMeasuring, DiagRxMeasuringCallback, DiagRxMeasuring)
RADALT_DIAG_SWITCH(DiagAttenOutputStatus, AttenOutput, DiagAttenOutputStatusCallback, DiagAttenOutputStatusAccess)
RADALT_DIAG_SWITCH(DiagLoopbackOutputStatus, LoopbackOutput, DiagLoopbackOutputStatusCallback,
                   DiagLoopbackOutputStatusAccess)
RADALT_DIAG_SWITCH(DiagLoopbackMeasuring, LoopbackMeasuring, DiagLoopbackMeasuringCallback,
                   DiagLoopbackMeasuringAccess)
RADALT_DIAG_SWITCH(DiagPassthruRunning, PassthruRunning, DiagPassthruRunningCallback, DiagPassthruRunningAccess)

#undef RADALT_DIAG_SWITCH
