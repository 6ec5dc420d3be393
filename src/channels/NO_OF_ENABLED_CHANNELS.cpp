#include "NO_OF_ENABLED_CHANNELS.h"

#include <boost/bind/bind.hpp>

#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "RADALT_MC.h"

namespace {
const char* const kKey = "NOOFENABLEDCHANNELS";
}

const char* const NO_OF_ENABLED_CHANNELS::PersistanceName = "NoOfEnabledChannels";

NO_OF_ENABLED_CHANNELS::NO_OF_ENABLED_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer,
                                               MY_GUIABLE_i& gui, RADALT_MC* mc)
    : Parameter(mc, store, namer, gui, kKey, 0,
                boost::bind(&NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback, this,
                            boost::placeholders::_1),
                get_NoOfEnabledChannelsParams()) {
  Persist<int>(2, PersistanceName, attr_.Value());
}

Velmarin::EngineAttribLongParams NO_OF_ENABLED_CHANNELS::get_NoOfEnabledChannelsParams() const {
  return Velmarin::EngineAttribLongParams{0, 3, 1};
}

void NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback(int n) {
  const int current = attr_.Value();
  NO_OF_AVAILABLE_CHANNELS* available = mc_->NoOfAvailableChannelsObj();
  const int availableCount = available ? available->Value() : 0;
  if (n > availableCount || n < 0)
    radalt::LogThrow(
        " NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback throw DataOutOfRangeException:illegal no of channels",
        Velmarin::Operation_errors::DataOutOfRangeException<int>(
            "Attribute : NoOfEnabledChannelsCallback - illegal no of channels", 0, 3, n));
  if (n != current) attr_ = n;
}

void NO_OF_ENABLED_CHANNELS::RecallNoOfEnabledChans() { attr_ = Recalled<int>(PersistanceName); }
