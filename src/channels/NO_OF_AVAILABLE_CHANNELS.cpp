#include "NO_OF_AVAILABLE_CHANNELS.h"

#include <boost/bind/bind.hpp>

#include "Core.h"
#include "Keys.h"

namespace {
const char* const kKey = radalt::key::NOOFAVAILABLECHANNELS;
}

const char* const NO_OF_AVAILABLE_CHANNELS::PersistanceName = "NoOfAvailableChannels";

NO_OF_AVAILABLE_CHANNELS::NO_OF_AVAILABLE_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer,
                                                   MY_GUIABLE_i& gui, radalt::Core* mc)
    : Parameter(mc, store, namer, gui, kKey, 0,
                boost::bind(&NO_OF_AVAILABLE_CHANNELS::NoOfAvailableChannelsCallback, this,
                            boost::placeholders::_1),
                get_NoOfAvailableChannelsParams()) {
  Persist<int>(PersistanceName, attr_.Value());
}

Velmarin::EngineAttribLongParams NO_OF_AVAILABLE_CHANNELS::get_NoOfAvailableChannelsParams() const {
  return Velmarin::EngineAttribLongParams{0, 3, 1};
}

void NO_OF_AVAILABLE_CHANNELS::NoOfAvailableChannelsCallback(int n) {
  const char* const line =
      " NO_OF_AVAILABLE_CHANNELS::NoOfAvailableChannelsCallback throw DataOutOfRangeException:illegal no of channels";
  const char* const text = "Attribute : NoOfAvailableChannelsCallback - illegal no of channels";
  if (static_cast<unsigned>(n) >= 4)
    radalt::LogThrow(line, Velmarin::Operation_errors::DataOutOfRangeException<int>(text, 0, 3, n));
  // The count is the engines registered; no write makes the test set claim another.
  const int live = static_cast<int>(mc_->Channels().AvailableCount());
  if (n != live) radalt::LogThrow(line, Velmarin::Operation_errors::DataOutOfRangeException<int>(text, live, live, n));
  Show(n);
}

void NO_OF_AVAILABLE_CHANNELS::Show(int n) {
  // Published on every change and recall, the same count included: the topic has its writer
  // from the start, so a watcher that joins later meets it before the next change.
  attr_ = n;
}

// The stored count is what was available when it was stored: the engines registered now
// are shown instead.
void NO_OF_AVAILABLE_CHANNELS::RecallNoOfAvailChans() {
  (void)Recalled<int>(PersistanceName);
  Show(static_cast<int>(mc_->Channels().AvailableCount()));
}
