#include "SettingsName.h"

#include <boost/bind/bind.hpp>

#include "SaveRecallCommon.h"

namespace radalt {

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;

}  // namespace

SettingsName::Initial SettingsName::FromChannel(radalt::Core* mc, int channel) {
  // A channel without engine takes its record from channel 1's.
  const int from = mc->HasChannelEngine(channel) ? channel : 1;
  return mc->Items().Call(mc->GetSingleChannelPtr(from), &SC::SettingsName, [](Velmarin::EngineAttribString_ptr item) {
    CORBA::String_var name = item->Get();
    Velmarin::EngineAttribStringParams_var params = item->GetParams();
    return Initial{name.in() ? name.in() : "", params.in()};
  });
}

SettingsName::SettingsName(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                           radalt::Core* mc)
    : SettingsName(channel, store, namer, gui, mc, FromChannel(mc, channel)) {}

SettingsName::SettingsName(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                           radalt::Core* mc, const Initial& initial)
    : Parameter(mc, store, namer, gui, ("CH" + std::to_string(channel) + "SETTINGSNAME").c_str(),
                initial.name.c_str(), boost::bind(&SettingsName::Callback, this, boost::placeholders::_1),
                initial.params),
      channel_(channel),
      persistanceName_("SettingsNameChan" + std::to_string(channel)) {
  Persist<std::string>(persistanceName_.c_str(), initial.name);
}

void SettingsName::Callback(const char* name) {
  radalt::Core& mc = *mc_;
  const std::string prefix =
      TwinPrefix("Settings_Name_Chan", ("SettingsNameChan" + std::to_string(channel_) + "Callback").c_str(), channel_);
  const int n = RequireChannelEnabled(mc, channel_, prefix, NotEnabledText::kNumbered);
  const bool coupled = mc.CoupledAltitudeSimulation();
  const Velmarin::Locker_ID who = WriterId();
  SettingWrite{prefix, TargetChannels(channel_, n, coupled), {channel_}}.Run(
      [&](int ch) { WriteItem(mc.Items(), mc.GetSingleChannelPtr(ch), &SC::SettingsName, who, name); },
      [&](int) { ShowEngine(); });
  if (!coupled || !twins_) return;
  const std::string accepted = attr_.Value();
  for (auto [ch, twin] : *twins_)
    if (twin != this) twin->SetValue(accepted.c_str());
}

void SettingsName::ShowEngine() {
  CORBA::String_var accepted = ReadItem(mc_->Items(), mc_->GetSingleChannelPtr(channel_), &SC::SettingsName);
  SetValue(accepted.in());
}

void SettingsName::Recall() {
  const std::string name = Recalled<std::string>(persistanceName_.c_str());
  const std::string method = "RecallSettingsNameChan" + std::to_string(channel_);
  const std::string prefix = TwinPrefix("Settings_Name_Chan", method.c_str(), channel_);
  const Velmarin::Locker_ID who = WriterId();
  SettingWrite{prefix, {channel_}, {channel_}}.Run(
      [&](int) { WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(channel_), &SC::SettingsName, who, name.c_str()); },
      [&](int) { ShowEngine(); });
}

}  // namespace radalt
