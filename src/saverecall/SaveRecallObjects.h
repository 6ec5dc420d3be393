// The save/recall subsystem's objects, for the master control's tests and the remote
// interface's accessors.
#pragma once

#include <array>
#include <memory>

#include "FactoryDefault.h"
#include "SaveRecall.h"
#include "SettingsName.h"

namespace radalt {

struct SaveRecallObjects {
  std::unique_ptr<SaveRecall> saveRecall;
  std::array<std::unique_ptr<SettingsName>, 3> settingsName;
  std::array<std::unique_ptr<FactoryDefault>, 3> factoryDefault;
};

}  // namespace radalt
