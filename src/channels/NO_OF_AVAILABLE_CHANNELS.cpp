#include "NO_OF_AVAILABLE_CHANNELS.h"

#include <boost/bind/bind.hpp>

#include "NO_OF_ENABLED_CHANNELS.h"
#include "Core.h"

namespace {
const char* const kKey = "NOOFAVAILABLECHANNELS";
}

const char* const NO_OF_AVAILABLE_CHANNELS::PersistanceName = "NoOfAvailableChannels";

NO_OF_AVAILABLE_CHANNELS::NO_OF_AVAILABLE_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer,
                                                   MY_GUIABLE_i& gui, radalt::Core* mc)
    : Parameter(mc, store, namer, gui, kKey, 0,
                boost::bind(&NO_OF_AVAILABLE_CHANNELS::NoOfAvailableChannelsCallback, this,
                            boost::placeholders::_1),
                get_NoOfAvailableChannelsParams()) {
  Persist<int>(1, PersistanceName, attr_.Value());
}

Velmarin::EngineAttribLongParams NO_OF_AVAILABLE_CHANNELS::get_NoOfAvailableChannelsParams() const {
  return Velmarin::EngineAttribLongParams{0, 3, 1};
}

void NO_OF_AVAILABLE_CHANNELS::NoOfAvailableChannelsCallback(int n) {
  if (static_cast<unsigned>(n) >= 4)
    radalt::LogThrow(
        " NO_OF_AVAILABLE_CHANNELS::NoOfAvailableChannelsCallback throw DataOutOfRangeException:illegal no of channels",
        Velmarin::Operation_errors::DataOutOfRangeException<int>(
            "Attribute : NoOfAvailableChannelsCallback - illegal no of channels", 0, 3, n));
  attr_ = n;
  NO_OF_ENABLED_CHANNELS* enabled = mc_->Find<NO_OF_ENABLED_CHANNELS>();
  if (enabled && enabled->Value() > n) enabled->NoOfEnabledChannelsCallback(n);
}

void NO_OF_AVAILABLE_CHANNELS::RecallNoOfAvailChans() { attr_ = Recalled<int>(PersistanceName); }
