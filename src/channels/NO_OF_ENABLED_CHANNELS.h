// How many channels the user works with: always channels 1 to this count ("NOOFENABLEDCHANNELS").
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class NO_OF_ENABLED_CHANNELS : public radalt::Parameter<Velmarin::EngineAttribLong_i> {
 public:
  static const char* const PersistanceName;

  NO_OF_ENABLED_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                         RADALT_MC* mc);

  void NoOfEnabledChannelsCallback(int n);
  void RecallNoOfEnabledChans();
  Velmarin::EngineAttribLongParams get_NoOfEnabledChannelsParams() const;
  Velmarin::EngineAttribLong_ptr NoOfEnabledChannels() { return This(); }
  int Value() const { return attr_.Value(); }
};
