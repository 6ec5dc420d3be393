#include "SIMULATION_MODE.h"

#include <boost/bind/bind.hpp>

#include "AltSimDataParameter.h"
#include "AltSimNameParameter.h"
#include "Core.h"
#include "RampParameter.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"
#include "Keys.h"

using radalt::LockGroup;
using radalt::RampRole;

namespace {

using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;

const char* const kCallback = " SIMULATION_MODE::SimulationModeCallback";

template <RampRole R>
radalt::RampParameter<R>* Ramp(radalt::Core& mc, int channel) {
  return Simulation(mc).Ramp<R>(channel);
}

// Writes channel's engine value of R to channel's ramp setting through its attribute.
template <RampRole R>
void EngineToSetting(radalt::Core& mc, int channel, const Velmarin::Locker_ID& who) {
  radalt::RampParameter<R>* setting = Ramp<R>(mc, channel);
  if (!setting) return;
  setting->Attr().Set(who, radalt::ReadItem(mc.Items(), mc.GetSingleChannelPtr(channel),
                                            radalt::RampParameter<R>::EngineOp()));
}

// Writes channel 1's value of R to channel's ramp setting through its attribute.
template <RampRole R>
void Channel1ToSetting(radalt::Core& mc, int channel, const Velmarin::Locker_ID& who) {
  radalt::RampParameter<R>* from = Ramp<R>(mc, 1);
  radalt::RampParameter<R>* to = Ramp<R>(mc, channel);
  if (from && to) to->Attr().Set(who, from->Value());
}

// Writes channel's ramp setting R to channel's engine.
template <RampRole R>
void SettingToEngine(radalt::Core& mc, SCI::RADALTSC_MAIN_INTERFACE_ptr sc, int channel, const Velmarin::Locker_ID& who) {
  radalt::RampParameter<R>* setting = Ramp<R>(mc, channel);
  if (!setting) return;
  radalt::WriteItem(mc.Items(), sc, radalt::RampParameter<R>::EngineOp(), who, setting->Value());
}

}  // namespace

const char* const SIMULATION_MODE::PersistanceName = "SimulationMode";

SIMULATION_MODE::SIMULATION_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                                 radalt::Core* mc, Velmarin::Lockable_i& settings)
    : Parameter(mc, store, namer, gui, radalt::key::SIMULATIONMODE, 0,
                boost::bind(&SIMULATION_MODE::SimulationModeCallback, this, boost::placeholders::_1)) {
  get_SimulationModeParams();
  attr_ = radalt::ReadItem(mc->Items(), mc->GetSingleChannelPtr(1), &SC::SimulationMode);
  Persist<int>(PersistanceName, attr_.Value());
  attr_.GuardWith(settings);
}

void SIMULATION_MODE::get_SimulationModeParams() {
  Velmarin::EngineAttribEnumParams_var values = mc_->Items().Call(
      mc_->GetSingleChannelPtr(1), &SC::SimulationMode, [](Velmarin::EngineAttribEnum_ptr e) { return e->GetParams(); });
  for (CORBA::ULong i = 0; i < values->length(); ++i) attr_.AddParam(values[i].value, values[i].label.in());
}

void SIMULATION_MODE::WriteEngines(int mode, int n, const char* prefix, bool follow) {
  const Velmarin::Locker_ID who = WriterId();
  // The mode shows channel 1's engine; without an enabled channel no engine can say.
  if (n == 0) attr_ = mode;
  radalt::SettingWrite::ToEnabled(prefix, n, 1).Run(
      [&](int ch) { radalt::WriteItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), &SC::SimulationMode, who, mode); },
      [&](int ch) {
        const int actual = radalt::ReadItem(mc_->Items(), mc_->GetSingleChannelPtr(ch), &SC::SimulationMode);
        if (actual == attr_.Value()) return;
        attr_ = actual;
        if (follow) ModeChanged(actual);
      });
}

void SIMULATION_MODE::SimulationModeCallback(int mode) {
  radalt::Core& mc = *mc_;
  const int n = radalt::RequireAnyChannelEnabled(mc, kCallback);
  WriteEngines(mode, n, kCallback, true);
  Forward(" SIMULATION_MODE::SimulationModeCallback throw Locking_Error_Exception", [&] {
    Distribute(mode, n);
    radalt::WriteItem(mc.Items(), mc.GetSingleChannelPtr(1), &SC::SimulationChanged, WriterId(), true);
  });
}

void SIMULATION_MODE::ModeChanged(int actual) {
  radalt::Core& mc = *mc_;
  SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc.GetSingleChannelPtr(1);
  if (actual == 0) {
    const VALUE_DOUBLE::VALUE stop = radalt::ReadItem(mc.Items(), sc, &SC::CurrentStopAltitude);
    if (auto* setting = Ramp<RampRole::StopAltitude>(mc, 1)) setting->SetValue(stop);
    radalt::Release(mc, LockGroup::MANUALTEST, radalt::activity::kProfileMode);
    radalt::Release(mc, LockGroup::SIMRUN, radalt::activity::kNoProfileLegs);
    return;
  }
  if (radalt::ReadItem(mc.Items(), sc, &SC::ProfileLegNumber) == 0) {
    radalt::Take(mc, LockGroup::SIMRUN, radalt::activity::kNoProfileLegs, radalt::lock_text::kNoLegsOnModeChange);
    return;
  }
  // Through the attributes, before MANUALTEST refuses them.
  const Velmarin::Locker_ID who = WriterId();
  EngineToSetting<RampRole::StartAltitude>(mc, 1, who);
  EngineToSetting<RampRole::StopAltitude>(mc, 1, who);
  EngineToSetting<RampRole::Rate>(mc, 1, who);
  EngineToSetting<RampRole::Duration>(mc, 1, who);
  radalt::Take(mc, LockGroup::MANUALTEST, radalt::activity::kProfileMode, radalt::lock_text::kProfileMode);
  radalt::Release(mc, LockGroup::SIMRUN, radalt::activity::kNoProfileLegs);
}

void SIMULATION_MODE::Distribute(int mode, int n) {
  radalt::Core& mc = *mc_;
  if (mode != 0 && mode != 1)
    radalt::LogThrow(" SIMULATION_MODE::SimulationModeCallback throw SimulationModeCallback - mode",
                     Velmarin::Runtime_errors::Unhandled_switch("SimulationModeCallback - mode"));
  const Velmarin::Locker_ID who = WriterId();
  radalt::SimulationObjects& sim = Simulation(mc);

  if (n >= 2 && radalt::CoupledAltitudeSimulationOn(mc)) {
    if (mode == 0) {
      for (int ch = 2; ch <= n; ++ch) {
        Channel1ToSetting<RampRole::StartAltitude>(mc, ch, who);
        Channel1ToSetting<RampRole::StopAltitude>(mc, ch, who);
        Channel1ToSetting<RampRole::Rate>(mc, ch, who);
        Channel1ToSetting<RampRole::Duration>(mc, ch, who);
      }
    } else if (sim.AltSimName(1) && sim.AltSimData(1)) {
      const std::string name = sim.AltSimName(1)->Value();
      const CORBA::Any data = sim.AltSimData(1)->Value();
      for (int ch = 2; ch <= n; ++ch) {
        if (auto* to = sim.AltSimName(ch)) to->Attr().Set(who, name.c_str());
        if (auto* to = sim.AltSimData(ch)) to->Attr().Set(who, data);
      }
    }
  }

  for (int ch = 1; ch <= n; ++ch) {
    SCI::RADALTSC_MAIN_INTERFACE_ptr sc = radalt::ChannelEngine(mc, ch, kCallback, "SimulationModeCallback", "chan");
    if (mode == 0) {
      SettingToEngine<RampRole::StartAltitude>(mc, sc, ch, who);
      SettingToEngine<RampRole::StopAltitude>(mc, sc, ch, who);
      SettingToEngine<RampRole::Rate>(mc, sc, ch, who);
      SettingToEngine<RampRole::Duration>(mc, sc, ch, who);
    } else if (radalt::AltSimNameParameter* name = sim.AltSimName(ch)) {
      radalt::WriteItem(mc.Items(), sc, &SC::AltSimName, who, name->Value().c_str());
    }
  }
}

void SIMULATION_MODE::RecallSimulationMode() {
  const int n = radalt::EnabledChannels(*mc_);
  const int mode = Recalled<int>(PersistanceName);
  WriteEngines(mode, n, " SIMULATION_MODE::RecallSimulationMode", false);
}
