// How many channels the user works with: always channels 1 to this count ("NOOFENABLEDCHANNELS"),
// each with an engine. The registry keeps the count; a write is checked and readied here,
// then taken by the registry and told to every subsystem.
#pragma once

#include <atomic>

#include "MYGUIABLE.h"
#include "Parameter.h"

class NO_OF_ENABLED_CHANNELS : public radalt::Parameter<Velmarin::EngineAttribLong_i>,
                               public radalt::EnabledCountChange {
 public:
  static const char* const PersistanceName;

  NO_OF_ENABLED_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                         radalt::Core* mc);

  void NoOfEnabledChannelsCallback(int n);
  void RecallNoOfEnabledChans();
  Velmarin::EngineAttribLongParams get_NoOfEnabledChannelsParams() const;
  Velmarin::EngineAttribLong_ptr NoOfEnabledChannels() { return This(); }
  int Value() const { return attr_.Value(); }
  // Shows the registry's count (no checks: the registry has changed already).
  void Show(int n);
  // EnabledCountChange
  void PrepareEnabledChange(int current, int n, bool forced) override;
  void FollowChoice() override;

 private:
  // Refuses the change while a calibration, a test or a diagnostic runs on an enabled channel.
  void CheckNoActivity(int enabled);
  // Newly enabled channels take channel 1's channel-wide settings.
  void CopyChannelWideItems(int current, int n);
  // The factory calibration channel stays among the enabled channels.
  void LimitFactoryCalibrationChannel(int n);

  // The count the user chose (a write or a recall; before either, the start-up's): what a store
  // of the settings keeps, not a count shown lower while an engine is missing.
  std::atomic<int> chosen_{-1};
};
