// The save/recall subsystem's objects, for the master control's tests and the remote
// interface's accessors.
#pragma once

#include <memory>

#include "FactoryDefault.h"
#include "PerChannel.h"
#include "SaveRecall.h"
#include "SettingsName.h"

namespace radalt {

struct SaveRecallObjects {
  std::unique_ptr<SaveRecall> saveRecall;
  PerChannel<SettingsName> settingsName;      // Settings_Name_Chan1 ..
  PerChannel<FactoryDefault> factoryDefault;  // Factory_Default_Chan1 ..
};

}  // namespace radalt
