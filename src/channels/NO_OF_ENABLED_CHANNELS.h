// How many channels the user works with: always channels 1 to this count ("NOOFENABLEDCHANNELS").
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class NO_OF_ENABLED_CHANNELS : public radalt::Parameter<Velmarin::EngineAttribLong_i> {
 public:
  static const char* const PersistanceName;

  NO_OF_ENABLED_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                         radalt::Core* mc);

  void NoOfEnabledChannelsCallback(int n);
  void RecallNoOfEnabledChans();
  Velmarin::EngineAttribLongParams get_NoOfEnabledChannelsParams() const;
  Velmarin::EngineAttribLong_ptr NoOfEnabledChannels() { return This(); }
  int Value() const { return attr_.Value(); }

 private:
  // Refuses the change while a calibration, a test or a diagnostic runs on an enabled channel.
  void CheckNoActivity(int enabled);
  // Newly enabled channels take channel 1's channel-wide settings.
  void CopyChannelWideItems(int current, int n);
  // The factory calibration channel stays among the enabled channels.
  void LimitFactoryCalibrationChannel(int n);
};
