// The name of one channel's settings, kept by the channel's engine ("CH<n>SETTINGSNAME").
// Coupled, a new name goes to every enabled engine and shows on all three channels.
#pragma once

#include <string>

#include "MYGUIABLE.h"
#include "Parameter.h"
#include "PerChannel.h"

namespace radalt {

class SettingsName : public Parameter<Velmarin::EngineAttribString_i> {
 public:
  // The three channels' names, so that a coupled write shows on the other two.
  using Twins = PerChannel<SettingsName>;

  void Callback(const char* name);
  // Writes the persisted name to this channel's engine and shows what the engine holds.
  void Recall();
  // Assigns name without checks; nothing is forwarded.
  void SetValue(const char* name) { attr_ = name; }
  std::string Value() const { return attr_.Value(); }
  int Channel() const { return channel_; }
  void SetTwins(const Twins& twins) { twins_ = &twins; }
  Velmarin::EngineAttribString_ptr Reference() { return This(); }

 protected:
  SettingsName(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

 private:
  struct Initial {
    std::string name;
    Velmarin::EngineAttribStringParams params;
  };
  SettingsName(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
               const Initial& initial);
  static Initial FromChannel(radalt::Core* mc, int channel);
  // Shows the name this channel's engine holds.
  void ShowEngine();

  const int channel_;
  const std::string persistanceName_;
  const Twins* twins_ = nullptr;
};

}  // namespace radalt
