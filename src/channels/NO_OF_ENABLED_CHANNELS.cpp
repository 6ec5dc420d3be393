#include "NO_OF_ENABLED_CHANNELS.h"

#include <algorithm>
#include <iostream>
#include <mutex>

#include <boost/bind/bind.hpp>

#include "ChannelWideItems.h"
#include "Core.h"
#include "Keys.h"

namespace {

const char* const kKey = radalt::key::NOOFENABLEDCHANNELS;

using radalt::ItemRefs;
using radalt::ReadItem;
using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;
using SCPtr = Velmarin::RadAltSingleChannelStateControl::RADALTSC_MAIN_INTERFACE_ptr;

// What keeps the channel count from changing, in the order it is checked.
struct Activity {
  const char* message;
  bool channel1Only;
  bool (*active)(ItemRefs& refs, SCPtr sc);
};
const Activity kActivities[] = {
    {"Cannot change no of channels since a factory calibration is active", false,
     [](ItemRefs& refs, SCPtr sc) -> bool { return ReadItem(refs, sc, &SC::FactoryCalRunning); }},
    {"Cannot change no of channels since a user calibration is active", false,
     [](ItemRefs& refs, SCPtr sc) -> bool { return ReadItem(refs, sc, &SC::UserCalRunning); }},
    {"Cannot change no of channels since testing is active", true,
     [](ItemRefs& refs, SCPtr sc) -> bool { return ReadItem(refs, sc, &SC::RunStopTest); }},
    {"Cannot change no of channels since diagnostics is active", false,
     [](ItemRefs& refs, SCPtr sc) -> bool { return ReadItem(refs, sc, &SC::DiagOutputStatus); }},
    {"Cannot change no of channels since rx diagnostics is active", false,
     [](ItemRefs& refs, SCPtr sc) -> bool { return ReadItem(refs, sc, &SC::DiagRxMeasuring); }},
    {"Cannot change no of channels since loopback diagnostics is active", false,
     [](ItemRefs& refs, SCPtr sc) -> bool {
       return ReadItem(refs, sc, &SC::DiagLoopbackOutputStatus) || ReadItem(refs, sc, &SC::DiagLoopbackMeasuring);
     }},
};

}  // namespace

const char* const NO_OF_ENABLED_CHANNELS::PersistanceName = "NoOfEnabledChannels";

NO_OF_ENABLED_CHANNELS::NO_OF_ENABLED_CHANNELS(STpersistance* store, Velmarin::ItemNamer& namer,
                                               MY_GUIABLE_i& gui, radalt::Core* mc)
    : Parameter(mc, store, namer, gui, kKey, 0,
                boost::bind(&NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback, this,
                            boost::placeholders::_1),
                get_NoOfEnabledChannelsParams()) {
  Persist<int>(PersistanceName, attr_.Value(), [this] {
    const int chosen = chosen_;
    return chosen >= 0 ? chosen : attr_.Value();
  });
}

Velmarin::EngineAttribLongParams NO_OF_ENABLED_CHANNELS::get_NoOfEnabledChannelsParams() const {
  return Velmarin::EngineAttribLongParams{0, 3, 1};
}

void NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback(int n) {
  radalt::ChannelAccess& channels = mc_->Channels();
  // No engine comes or goes between the checks and the change.
  std::lock_guard<std::recursive_mutex> change(channels.ChangeMutex());
  const int current = static_cast<int>(channels.EnabledCount());
  // Only channels that have an engine, from channel 1 on, can be enabled.
  const int enableable = static_cast<int>(channels.EnableableCount());
  if (n > enableable || n < 0)
    radalt::LogThrow(
        " NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback throw DataOutOfRangeException:illegal no of channels",
        Velmarin::Operation_errors::DataOutOfRangeException<int>(
            "Attribute : NoOfEnabledChannelsCallback - illegal no of channels", 0, enableable, n));
  if (current >= 1) CheckNoActivity(current);
  try {
    if (current >= 1 && current < n) CopyChannelWideItems(current, n);
  } catch (...) {
    // A copy that failed midway: the count is taken, what was copied stays.
    mc_->ApplyEnabledCount(static_cast<unsigned>(n));
    throw;
  }
  if (n < current) LimitFactoryCalibrationChannel(n);
  chosen_ = n;
  mc_->ApplyEnabledCount(static_cast<unsigned>(n));
}

void NO_OF_ENABLED_CHANNELS::PrepareEnabledChange(int current, int n, bool forced) {
  if (!forced && current >= 1) CheckNoActivity(current);
  if (current >= 1 && current < n) CopyChannelWideItems(current, n);
  if (n < current) LimitFactoryCalibrationChannel(n);
}

void NO_OF_ENABLED_CHANNELS::FollowChoice() {
  radalt::ChannelAccess& channels = mc_->Channels();
  std::lock_guard<std::recursive_mutex> change(channels.ChangeMutex());
  const int current = static_cast<int>(channels.EnabledCount());
  const int target = std::min(static_cast<int>(chosen_), static_cast<int>(channels.EnableableCount()));
  if (target <= current) return;
  try {
    PrepareEnabledChange(current, target, false);
  } catch (const Velmarin::Operation_errors::Settings_Conflict&) {
    return;  // still kept down
  }
  std::cout << " RADALT_MC: enabled channels back to " << target << ", as chosen" << std::endl;
  mc_->ApplyEnabledCount(static_cast<unsigned>(target));
}

void NO_OF_ENABLED_CHANNELS::Show(int n) {
  // The first count shown is the start-up's (every engine found is enabled): the choice until
  // the user makes one.
  int none = -1;
  chosen_.compare_exchange_strong(none, n);
  // Published on every change and recall, the same count included: the topic has its writer
  // from the start, so a watcher that joins later meets it before the next change.
  attr_ = n;
}

void NO_OF_ENABLED_CHANNELS::CheckNoActivity(int enabled) {
  for (const Activity& a : kActivities) {
    const int last = a.channel1Only ? 1 : enabled;
    for (int ch = 1; ch <= last; ++ch) {
      if (!mc_->HasChannelEngine(ch)) continue;  // a channel without engine runs nothing
      if (a.active(mc_->Items(), mc_->GetSingleChannelPtr(ch)))
        radalt::LogThrow(std::string(" NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback:throw ") + a.message,
                         Velmarin::Operation_errors::Settings_Conflict(a.message));
    }
  }
}

void NO_OF_ENABLED_CHANNELS::CopyChannelWideItems(int current, int n) {
  SCPtr from = mc_->GetSingleChannelPtr(1);
  const Velmarin::Locker_ID who = WriterId();
  for (const auto& copy : radalt::ChannelWideItems())
    for (int ch = current + 1; ch <= n; ++ch)
      Forward(" NO_OF_ENABLED_CHANNELS::NoOfEnabledChannelsCallback throw Locking_Error_Exception",
              [&] { copy(mc_->Items(), from, mc_->GetSingleChannelPtr(ch), who); });
}

void NO_OF_ENABLED_CHANNELS::LimitFactoryCalibrationChannel(int n) {
  if (auto* factory = mc_->Find<radalt::FactoryCalibrationChannel>()) factory->KeepWithinEnabled(n, WriterId());
}

// The stored count is the user's choice again: it is enabled within the channels that can be
// enabled now, and the rest as their engines return (an engine missing at the recall does not
// lower the choice); every subsystem follows it.
void NO_OF_ENABLED_CHANNELS::RecallNoOfEnabledChans() {
  radalt::ChannelAccess& channels = mc_->Channels();
  std::lock_guard<std::recursive_mutex> change(channels.ChangeMutex());
  const int stored = std::min(3, std::max(0, Recalled<int>(PersistanceName)));
  chosen_ = stored;
  mc_->ApplyEnabledCount(static_cast<unsigned>(stored));
}
