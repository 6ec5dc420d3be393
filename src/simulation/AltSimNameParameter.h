// The name of one channel's profile, kept by the channel's engine ("CH<n>PROFILENAME"). Coupled,
// a new name goes to every enabled engine and shows on all three channels.
#pragma once

#include <string>

#include "MYGUIABLE.h"
#include "Parameter.h"

namespace radalt {

class AltSimNameParameter : public Parameter<Velmarin::EngineAttribString_i> {
 public:
  void Callback(const char* name);
  // Assigns the persisted name and writes it to this channel's engine.
  void Recall();
  // Assigns name without checks; nothing is forwarded.
  void SetValue(const char* name) { attr_ = name; }
  // Shows the name this channel's engine holds.
  void ShowEngine();
  std::string Value() const { return attr_.Value(); }
  int Channel() const { return channel_; }
  Velmarin::EngineAttribString_ptr Reference() { return This(); }

 protected:
  AltSimNameParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                      radalt::Core* mc);

 private:
  struct Initial {
    std::string name;
    Velmarin::EngineAttribStringParams params;
  };
  AltSimNameParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                      radalt::Core* mc, const Initial& initial);
  static Initial FromChannel1(radalt::Core* mc);

  const int channel_;
  const std::string persistanceName_;
};

}  // namespace radalt
