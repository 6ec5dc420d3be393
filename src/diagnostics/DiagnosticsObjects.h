// The diagnostics objects, as the other subsystems find them
// (Core::Find<radalt::DiagnosticsObjects>()).
#pragma once

#include <memory>

#include "DiagReadings.h"
#include "DiagSettings.h"
#include "DiagSwitches.h"

namespace radalt {

struct DiagnosticsObjects {
  explicit DiagnosticsObjects(Core* mc);

  DiagInterlock interlock;
  // settings, one member per class (DIAG_MODE is m_DIAG_MODE)
#define DIAG_SETTING(CLASS, KEY, SERVANT, CALLBACK, ACCESSOR, PARAMS, ITEM) std::unique_ptr<CLASS> m_##CLASS;
#include "DiagSettings.def"
#undef DIAG_SETTING
  // switches
  std::unique_ptr<DIAG_OUTPUT_STATUS> diagOutputStatus;
  std::unique_ptr<DIAG_RX_MEASURING> diagRxMeasuring;
  std::unique_ptr<DiagAttenOutputStatus> diagAttenOutputStatus;
  std::unique_ptr<DiagLoopbackOutputStatus> diagLoopbackOutputStatus;
  std::unique_ptr<DiagLoopbackMeasuring> diagLoopbackMeasuring;
  std::unique_ptr<DiagPassthruRunning> diagPassthruRunning;
  // readings
  std::unique_ptr<DIAG_RX_POWER> diagRxPower;
  std::unique_ptr<DiagLoopbackPower> diagLoopbackPower;
  std::unique_ptr<DiagLoopbackSPA> diagLoopbackSPA;
  std::unique_ptr<DiagPassthruPower> diagPassthruPower;
  std::unique_ptr<DiagPassthruSPA> diagPassthruSPA;
};

}  // namespace radalt
