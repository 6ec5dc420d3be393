#include "AltSimNameParameter.h"

#include <boost/bind/bind.hpp>

#include "ChannelWrites.h"
#include "Core.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"

namespace radalt {

namespace {

using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;

std::string ClassName(int channel) { return WithDigit("ALT_SIM_NAME_CHAN", channel); }
std::string MethodName(int channel) { return "AltSimNameChan" + std::to_string(channel) + "Callback"; }

}  // namespace

AltSimNameParameter::Initial AltSimNameParameter::FromChannel1(radalt::Core* mc) {
  return mc->Items().Call(mc->GetSingleChannelPtr(1), &SC::AltSimName, [](Velmarin::EngineAttribString_ptr item) {
    CORBA::String_var name = item->Get();
    Velmarin::EngineAttribStringParams_var params = item->GetParams();
    return Initial{name.in() ? name.in() : "", params.in()};
  });
}

AltSimNameParameter::AltSimNameParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer,
                                         MY_GUIABLE_i& gui, radalt::Core* mc)
    : AltSimNameParameter(channel, store, namer, gui, mc, FromChannel1(mc)) {}

AltSimNameParameter::AltSimNameParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer,
                                         MY_GUIABLE_i& gui, radalt::Core* mc, const Initial& initial)
    : Parameter(mc, store, namer, gui, ("CH" + std::to_string(channel) + "PROFILENAME").c_str(),
                initial.name.c_str(), boost::bind(&AltSimNameParameter::Callback, this, boost::placeholders::_1),
                initial.params),
      channel_(channel),
      persistanceName_("AltSimNameChan" + std::to_string(channel)) {
  Persist<std::string>(persistanceName_.c_str(), initial.name);
}

void AltSimNameParameter::Callback(const char* name) {
  radalt::Core& mc = *mc_;
  const std::string method = MethodName(channel_);
  const std::string prefix = LogPrefix(ClassName(channel_), method);
  const int n = RequireChannelEnabled(mc, channel_, prefix, NotEnabledText::kNumbered, BroughtBack::kPasses);
  const bool coupled = CoupledAltitudeSimulationOn(mc);
  const Velmarin::Locker_ID who = WriterId();
  // A channel's name shows what its engine holds.
  auto show = [&](int ch) {
    AltSimNameParameter* p = Simulation(mc).AltSimName(ch);
    if (!p) return;
    CORBA::String_var held = ReadItem(mc.Items(), mc.GetSingleChannelPtr(ch), &SC::AltSimName);
    p->SetValue(held.in());
  };
  WriteChannels(
      TargetChannels(channel_, n, coupled), prefix,
      [&](int ch) { radalt::WriteItem(mc.Items(), ChannelEngine(mc, ch, prefix, method), &SC::AltSimName, who, name); },
      [&](const std::vector<int>& took) {
        for (int ch : took) show(ch);
      });
  CORBA::String_var accepted = ReadItem(mc.Items(), mc.GetSingleChannelPtr(channel_), &SC::AltSimName);
  SetValue(accepted.in());
  if (!coupled) return;
  for (int ch = 1; ch <= 3; ++ch)
    if (ch != channel_)
      if (AltSimNameParameter* twin = Simulation(mc).AltSimName(ch)) twin->SetValue(accepted.in());
}

void AltSimNameParameter::ShowEngine() {
  CORBA::String_var held = ReadItem(mc_->Items(), mc_->GetSingleChannelPtr(channel_), &SC::AltSimName);
  SetValue(held.in());
}

void AltSimNameParameter::Recall() {
  const std::string name = Recalled<std::string>(persistanceName_.c_str());
  attr_ = name.c_str();
  radalt::WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(channel_), &SC::AltSimName, WriterId(), name.c_str());
}

}  // namespace radalt
