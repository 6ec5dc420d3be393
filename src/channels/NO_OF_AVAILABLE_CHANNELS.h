// How many RF channels the test set has ("NOOFAVAILABLECHANNELS"): always the channel
// engines registered now. A client write of any other count is refused.
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class NO_OF_AVAILABLE_CHANNELS : public radalt::Parameter<Velmarin::EngineAttribLong_i> {
 public:
  static const char* const PersistanceName;

  NO_OF_AVAILABLE_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                           radalt::Core* mc);

  void NoOfAvailableChannelsCallback(int n);
  void RecallNoOfAvailChans();
  Velmarin::EngineAttribLongParams get_NoOfAvailableChannelsParams() const;
  Velmarin::EngineAttribLong_ptr NoOfAvailableChannels() { return This(); }
  int Value() const { return attr_.Value(); }
  // Shows the registry's count (no checks: the registry has changed already).
  void Show(int n);
};
