// Saves the altitude-indicator zero and ends the function ("SAVEALTINDZERO").
#pragma once

#include "AltIndZeroCommand.h"

class SAVE_ALT_IND_ZERO : public radalt::AltIndZeroCommand {
 public:
  SAVE_ALT_IND_ZERO(Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& altZeroRun)
      : AltIndZeroCommand(Step::Save, namer, gui, mc, altZeroRun) {}

  void SaveAltIndZeroCallback() { Execute(); }
  Velmarin::EngineAttribVoid_ptr SaveAltIndZero() { return Reference(); }
};
