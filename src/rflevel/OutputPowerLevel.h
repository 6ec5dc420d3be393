// The output power level of one channel: a level setting whose engine is the registry's
// entry for the channel at the moment of each write.
#pragma once

#include "LevelParameter.h"

namespace radalt {

class OutputPowerLevel : public LevelParameter {
 public:
  SCI::RADALTSC_MAIN_INTERFACE_var EngineNow(const std::string& prefix) override;

 protected:
  OutputPowerLevel(int channel, const char* key, const char* persistanceName, STpersistance* store,
                   Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& rfLevel)
      : LevelParameter(LevelRole::OutputPower, channel, key, persistanceName, store, namer, gui, mc, rfLevel) {}
};

}  // namespace radalt
