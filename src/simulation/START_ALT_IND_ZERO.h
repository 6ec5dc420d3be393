// Starts the altitude-indicator zero on every enabled channel ("STARTALTINDZERO").
#pragma once

#include "AltIndZeroCommand.h"

class START_ALT_IND_ZERO : public radalt::AltIndZeroCommand {
 public:
  START_ALT_IND_ZERO(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& altZeroRun)
      : AltIndZeroCommand(Step::Start, namer, gui, mc, altZeroRun) {}

  void StartAltIndZeroCallback() { Execute(); }
  Velmarin::EngineAttribVoid_ptr StartAltIndZero() { return Reference(); }
};
