#include "AltSimDataParameter.h"

#include <algorithm>
#include <boost/bind/bind.hpp>
#include <cmath>
#include <iostream>
#include <optional>

#include "ALT_SIM_TOTAL_DURATION.h"
#include "ChannelWrites.h"
#include "ProfileStore.h"
#include "Core.h"
#include "RampParameter.h"
#include "SimulationObjects.h"

namespace radalt {

namespace {

using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;

// x truncated toward zero; nothing when no CORBA::Long can hold it (not finite or too large).
std::optional<CORBA::Long> WholeNumber(double x) {
  if (!std::isfinite(x) || x >= 2147483648.0 || x <= -2147483649.0) return std::nullopt;
  return static_cast<CORBA::Long>(x);
}

// Writes value to channel's ramp setting R through its attribute, as a copy of the engine's
// current record of that item.
template <RampRole R>
void WriteRamp(radalt::Core& mc, int channel, SCI::RADALTSC_MAIN_INTERFACE_ptr sc, const Velmarin::Locker_ID& who,
               typename RampParameter<R>::Number value) {
  RampParameter<R>* setting = Simulation(mc).Ramp<R>(channel);
  if (!setting) return;
  typename RampKind<R>::Record record = ReadItem(mc.Items(), sc, RampParameter<R>::EngineOp());
  record.val = value;
  setting->Attr().Set(who, record);
}

bool IsEmpty(const CORBA::Any& data) {
  CORBA::TypeCode_var type = data.type();
  return type->kind() == CORBA::tk_null || type->kind() == CORBA::tk_void;
}

// The legs in data; empty when it holds none.
Legs::alt_sim_data_seq LegsOf(const CORBA::Any& data) {
  const Legs::alt_sim_data_seq* legs = nullptr;
  if (data >>= legs) return *legs;
  return Legs::alt_sim_data_seq();
}

}  // namespace

AltSimDataParameter::Initial AltSimDataParameter::FromChannel1(radalt::Core* mc) {
  return mc->Items().Call(mc->GetSingleChannelPtr(1), &SC::AltSimData,
                          [](Velmarin::EngineAttribAny_ptr item) {
                            CORBA::Any_var value = item->Get();
                            CORBA::Any_var params = item->GetParams();
                            return Initial{value.in(), params.in()};
                          });
}

AltSimDataParameter::AltSimDataParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer,
                                         MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& profileTest)
    : AltSimDataParameter(channel, store, namer, gui, mc, profileTest, FromChannel1(mc)) {}

AltSimDataParameter::AltSimDataParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer,
                                         MY_GUIABLE_i& gui, radalt::Core* mc, Velmarin::Lockable_i& profileTest,
                                         const Initial& initial)
    : Parameter(mc, store, namer, gui, ("CH" + std::to_string(channel) + "LEGDATA").c_str(), initial.value,
                boost::bind(&AltSimDataParameter::Callback, this, boost::placeholders::_1), initial.params),
      channel_(channel) {
  ProfileStore::Create(store, channel);
  ProfileStore::KeepCurrent(*mc, store, channel, [this] { return LegsOf(attr_.Value()); });
  attr_.GuardWith(profileTest);
}

std::string AltSimDataParameter::MethodName(const char* what) const {
  return "AltSimDataChan" + std::to_string(channel_) + what;
}

std::string AltSimDataParameter::Prefix(const std::string& method) const {
  return LogPrefix(WithDigit("ALT_SIM_DATA_CHAN", channel_), method);
}

Velmarin::Locker_ID AltSimDataParameter::WriterIdentity() const {
  return mc_->Group(LockGroup::MANUALTEST).Holder();
}

void AltSimDataParameter::CheckStorable(const CORBA::Any& data, const std::string& prefix,
                                        const std::string& method) const {
  const Legs::alt_sim_data_seq* legs = nullptr;
  if (!(data >>= legs)) {
    if (IsEmpty(data)) return;
    const std::string text = method + " - not a profile leg sequence";
    LogThrow(prefix + " throw Data_Source_Not_Compatible:" + text,
             Velmarin::Operation_errors::Data_Source_Not_Compatible(text.c_str()));
  }
  // Only 20 legs fit in the profile store: a longer profile could neither be stored nor
  // recalled intact, so it is not taken.
  for (CORBA::ULong i = 0; i < legs->length(); ++i) {
    const Legs::Alt_Sim_Data& leg = (*legs)[i];
    for (double v : {leg.Start_Alt, leg.Stop_Alt, leg.AltRate_Dur}) {
      if (std::isfinite(v)) continue;
      const std::string text = method + " - leg " + std::to_string(i + 1) + " holds a value that is not a finite number";
      LogThrow(prefix + " throw DataOutOfRangeException:" + text,
               Velmarin::Operation_errors::DataOutOfRangeException<double>("Attribute : " + text, 0.0, 0.0, v));
    }
  }
  const int count = static_cast<int>(legs->length());
  if (count > kProfileLegSlots)
    LogThrow(prefix + " throw DataOutOfRangeException:too many profile legs",
             Velmarin::Operation_errors::DataOutOfRangeException<int>(
                 "Attribute : " + method + " - too many profile legs", 0, kProfileLegSlots, count));
}

void AltSimDataParameter::Callback(const CORBA::Any& data) {
  radalt::Core& mc = *mc_;
  const std::string method = MethodName("Callback");
  const std::string prefix = Prefix(method);
  const int n = RequireChannelEnabled(mc, channel_, prefix, NotEnabledText::kNumbered, BroughtBack::kPasses);
  CheckStorable(data, prefix, method);
  const bool coupled = CoupledAltitudeSimulationOn(mc);
  const Velmarin::Locker_ID who = WriterIdentity();
  const std::vector<int> targets = TargetChannels(channel_, n, coupled);
  try {
    SettingWrite{prefix, targets, targets}.WriteEngines(
        [&](int ch) {
          radalt::WriteItem(mc.Items(), ChannelEngine(mc, ch, prefix, method), &SC::AltSimData, who, data);
        },
        [&](int ch) { ShowChannel(ch); });
  } catch (...) {
    try {
      FollowTotalDuration(mc);
    } catch (...) {
      // the total keeps what it showed: the write's failure is the one the writer gets
    }
    throw;
  }
  ShowChannel(channel_);
  FollowTotalDuration(mc);
  if (!coupled) return;
  // Enabled twins show what their engines took; the others only show this profile.
  const CORBA::Any mirrored = attr_.Value();
  for (int ch = 1; ch <= 3; ++ch) {
    if (ch == channel_) continue;
    if (std::find(targets.begin(), targets.end(), ch) != targets.end())
      ShowChannel(ch);
    else if (AltSimDataParameter* twin = Simulation(mc).AltSimData(ch))
      twin->SetValue(mirrored);
  }
}

void AltSimDataParameter::ShowChannel(int channel) {
  radalt::Core& mc = *mc_;
  AltSimDataParameter* p = Simulation(mc).AltSimData(channel);
  if (!p) return;
  CORBA::Any_var accepted = ReadItem(mc.Items(), mc.GetSingleChannelPtr(channel), &SC::AltSimData);
  p->SetValue(accepted.in());
}

void AltSimDataParameter::SetValue(const CORBA::Any& data) {
  attr_ = data;
  // A channel that is not enabled only shows the profile: its engine and its ramp settings
  // are not in use, and writing them would be refused.
  radalt::Core& mc = *mc_;
  if (EnabledChannels(mc) < channel_) return;
  SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc.GetSingleChannelPtr(channel_);
  const Velmarin::Locker_ID who = WriterIdentity();
  if (SimulationModeValue(Simulation(mc)) == 1) ShowEngineLeg(sc, who);
  WriteItem(mc.Items(), sc, &SC::SimulationChanged, who, true);
}

void AltSimDataParameter::ShowEngine() {
  radalt::Core& mc = *mc_;
  CORBA::Any_var held = ReadItem(mc.Items(), mc.GetSingleChannelPtr(channel_), &SC::AltSimData);
  attr_ = held.in();
}

void AltSimDataParameter::ShowEngineLeg(SCI::RADALTSC_MAIN_INTERFACE_ptr sc, const Velmarin::Locker_ID& who) {
  radalt::Core& mc = *mc_;
  const CORBA::Long legNo = ReadItem(mc.Items(), sc, &SC::ProfileLegNumber);
  CORBA::Any_var engineLegs = ReadItem(mc.Items(), sc, &SC::AltSimData);
  const Legs::alt_sim_data_seq legs = LegsOf(engineLegs.in());
  const bool onLeg = legNo > 0 && static_cast<CORBA::ULong>(legNo) <= legs.length();
  if (!onLeg) {
    // Leg 0 means no valid leg; a leg the engine's profile does not have is no leg either.
    if (legNo != 0)
      std::cout << Prefix(MethodName("SetValue")) << " leg number " << legNo << " is outside the profile of "
                << legs.length() << " legs" << std::endl;
    Take(mc, LockGroup::SIMRUN, activity::kNoProfileLegs, lock_text::kNoLegsOnProfileWrite);
    return;
  }
  radalt::Release(mc, LockGroup::SIMRUN, activity::kNoProfileLegs);
  CopyLegToRamp(legs[static_cast<CORBA::ULong>(legNo - 1)], sc, who);
}

void AltSimDataParameter::CopyLegToRamp(const Legs::Alt_Sim_Data& leg, SCI::RADALTSC_MAIN_INTERFACE_ptr sc,
                                        const Velmarin::Locker_ID& who) {
  radalt::Core& mc = *mc_;
  WriteRamp<RampRole::StartAltitude>(mc, channel_, sc, who, leg.Start_Alt);
  WriteRamp<RampRole::StopAltitude>(mc, channel_, sc, who, leg.Stop_Alt);
  const double span = std::fabs(leg.Start_Alt - leg.Stop_Alt);
  const bool ramp = span >= 0.001;
  // A ramp lasts span / rate, at least 1; a level leg lasts AltRate_Dur. A leg that gives no
  // whole number of seconds (a rate of 0, a value out of range) leaves the duration as it is.
  std::optional<CORBA::Long> duration = WholeNumber(ramp ? span / leg.AltRate_Dur : leg.AltRate_Dur);
  if (ramp) WriteRamp<RampRole::Rate>(mc, channel_, sc, who, leg.AltRate_Dur);
  if (duration)
    WriteRamp<RampRole::Duration>(mc, channel_, sc, who, ramp && *duration < 1 ? 1 : *duration);
  else
    std::cout << Prefix(MethodName("SetValue")) << " leg " << leg.Leg_Number << ": no duration from AltRate_Dur "
              << leg.AltRate_Dur << ", the duration is left as it is" << std::endl;
  if (!ramp) WriteRamp<RampRole::Rate>(mc, channel_, sc, who, 0.0);
}

CORBA::Any AltSimDataParameter::EmptyProfile() {
  CORBA::Any data;
  data <<= Legs::alt_sim_data_seq();
  return data;
}

void AltSimDataParameter::Recall() {
  const std::string method = "RecallChan" + std::to_string(channel_) + "AltSimData";
  Legs::alt_sim_data_seq legs;
  int count = 0;
  if (!ProfileStore::Load(store_, channel_, legs, count)) {
    const std::string text = method + " - stored profile has " + std::to_string(count) + " legs, at most " +
                             std::to_string(kProfileLegSlots) + " can be stored";
    LogThrow(Prefix(method) + " throw Data_Source_Not_Compatible:" + text,
             Velmarin::Operation_errors::Data_Source_Not_Compatible(text.c_str()));
  }
  CORBA::Any data;
  data <<= legs;
  Callback(data);
}

}  // namespace radalt
