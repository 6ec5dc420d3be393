// A channel's factory default ("CH<n>FACTORYDEFAULT"): the channel's RF path settings (coupled:
// every enabled channel's) and the shared RF, AID, UUT and display settings go back to fixed
// values. Each value is written through its attribute, as a client's write would be, with
// the master control's identity; the command is refused while a simulation holds the
// settings, and a refused value ends it (what was written before stays).
#pragma once

#include <string>

#include "MYGUIABLE.h"
#include "Parameter.h"

namespace radalt {

class FactoryDefault : public Parameter<Velmarin::EngineAttribVoid_i> {
 public:
  void Callback();
  Velmarin::EngineAttribVoid_ptr Reference() { return This(); }

 protected:
  FactoryDefault(int channel, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

 private:
  // Writes value to the attribute under key.
  void Apply(const std::string& key, double value);
  void ApplyChannel(int channel);

  const int channel_;
  const std::string prefix_;
};

}  // namespace radalt
