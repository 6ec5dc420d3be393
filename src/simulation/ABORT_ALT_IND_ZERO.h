// Abandons the altitude-indicator zero ("ABORTALTINDZERO").
#pragma once

#include "AltIndZeroCommand.h"

class ABORT_ALT_IND_ZERO : public radalt::AltIndZeroCommand {
 public:
  ABORT_ALT_IND_ZERO(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& altZeroRun)
      : AltIndZeroCommand(Step::Abort, namer, gui, mc, altZeroRun) {}

  void AbortAltIndZeroCallback() { Execute(); }
  Velmarin::EngineAttribVoid_ptr AbortAltIndZero() { return Reference(); }
};
