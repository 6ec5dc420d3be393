#include "RampParameter.h"

#include <algorithm>
#include <boost/bind/bind.hpp>
#include <iostream>
#include <stdexcept>

#include "PAUSE_RESUME_TEST.h"
#include "ChannelWrites.h"
#include "Core.h"
#include "SimulationObjects.h"

namespace radalt {

namespace {

constexpr unsigned kAllChannels = 0x7;
constexpr unsigned kChannels1And3 = 0x5;

// In RampRole order.
const RampRoleInfo kRoles[] = {
    {"CURRENT_ALTITUDE_CHAN", "CurrentAltitude", "CURALT", false, 0},
    {"CURRENT_START_ALTITUDE_CHAN", "CurrentStartAltitude", "CURSTARTALT", true, kChannels1And3},
    {"CURRENT_STOP_ALTITUDE_CHAN", "CurrentStopAltitude", "CURSTOPALT", true, kAllChannels},
    {"CURRENT_ALTITUDE_RATE_CHAN", "CurrentAltitudeRate", "CURALTRATE", true, 0},
    {"CURRENT_ALTITUDE_DURATION_CHAN", "CurrentAltitudeDuration", "CURALTDUR", true, kAllChannels},
};

std::string KeyOf(RampRole role, int channel) {
  return "CH" + std::to_string(channel) + RoleInfo(role).keyStem;
}

std::string PersistanceNameOf(RampRole role, int channel) {
  return std::string(RoleInfo(role).camel) + "Chan" + std::to_string(channel);
}

}  // namespace

const RampRoleInfo& RoleInfo(RampRole role) { return kRoles[static_cast<int>(role)]; }

template <RampRole R>
typename RampParameter<R>::Initial RampParameter<R>::FromChannel1(radalt::Core* mc) {
  return mc->Items().Call(mc->GetSingleChannelPtr(1), EngineOp(), [](EngineItemPtr item) {
    return Initial{item->Get(), item->GetParams()};
  });
}

template <RampRole R>
RampParameter<R>::RampParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                                radalt::Core* mc, Velmarin::Lockable_i& group)
    : RampParameter(channel, store, namer, gui, mc, group, FromChannel1(mc), FollowUpsOf(mc)) {}

template <RampRole R>
FollowUps* RampParameter<R>::FollowUpsOf(radalt::Core* mc) {
  if (R == RampRole::CurrentAltitude) return nullptr;
  FollowUps* followUps = Simulation(*mc).rampFollowUps.get();
  if (!followUps) throw std::logic_error("the ramp follow-ups are built after the ramp settings");
  return followUps;
}

template <RampRole R>
RampParameter<R>::RampParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui,
                                radalt::Core* mc, Velmarin::Lockable_i& group, const Initial& initial,
                                FollowUps* followUps)
    : Base(mc, store, followUps, channel, namer, gui, KeyOf(R, channel).c_str(), initial.value,
           boost::bind(&RampParameter::Callback, this, boost::placeholders::_1), initial.params),
      channel_(channel),
      persistanceName_(PersistanceNameOf(R, channel)),
      followUps_(followUps) {
  this->template Persist<typename Kind::Stored>(persistanceName_.c_str(), initial.value.val,
                                                [this] { return Value().val; });
  this->attr_.GuardWith(group);
}

template <RampRole R>
std::string RampParameter<R>::ClassName() const {
  return WithDigit(RoleInfo(R).classStem, channel_);
}

template <RampRole R>
std::string RampParameter<R>::MethodName(const char* what) const {
  return std::string(RoleInfo(R).camel) + "Chan" + std::to_string(channel_) + what;
}

template <RampRole R>
bool RampParameter<R>::Assign(const Record& value) {
  if (Kind::Same(value, this->attr_.Value())) return false;
  this->attr_ = value;
  return true;
}

template <RampRole R>
bool RampParameter<R>::SetValue(const Record& value) {
  std::lock_guard<std::mutex> lock(showMutex_);
  ++shown_;
  return Assign(value);
}

template <RampRole R>
typename RampParameter<R>::Record RampParameter<R>::Value() const {
  if (followUps_) followUps_->Settle(channel_);
  return this->attr_.Value();
}

template <RampRole R>
typename RampParameter<R>::Record RampParameter<R>::WithValue(Number value) const {
  Record r = this->attr_.Value();
  r.val = value;
  return r;
}

template <RampRole R>
bool RampParameter<R>::ShowEngine() {
  radalt::Core& mc = *this->mc_;
  return SetValue(ReadItem(mc.Items(), mc.GetSingleChannelPtr(channel_), EngineOp()));
}

template <RampRole R>
void RampParameter<R>::FollowEngine() {
  radalt::Core& mc = *this->mc_;
  unsigned since;
  {
    std::lock_guard<std::mutex> lock(showMutex_);
    since = shown_;
  }
  try {
    const Record engine = ReadItem(mc.Items(), mc.GetSingleChannelPtr(channel_), EngineOp());
    std::lock_guard<std::mutex> lock(showMutex_);
    if (shown_ == since) Assign(engine);
  } catch (const CORBA::Exception& e) {
    std::cout << LogPrefix(ClassName(), MethodName("FollowEngine")) << " caught exception " << e._name()
              << ", the attribute keeps what it showed" << std::endl;
  }
}

template <RampRole R>
bool RampParameter<R>::ShowChannel(int channel) {
  radalt::Core& mc = *this->mc_;
  if (R == RampRole::CurrentAltitude) {
    RampParameter* p = Simulation(mc).template Ramp<R>(channel);
    return p && p->ShowEngine();
  }
  // The engine ties start, stop, rate and duration together: a write to one may change the
  // others, so all four show the engine again.
  bool changed = false;
  ShowRampSettings(mc, channel, [&](RampRole role, bool c) {
    if (role == R) changed = c;
  });
  return changed;
}

template <RampRole R>
void RampParameter<R>::Callback(const Record& value) {
  const std::string method = MethodName("Callback");
  const std::string prefix = LogPrefix(ClassName(), method);
  radalt::Core& mc = *this->mc_;
  const int n = RequireChannelEnabled(mc, channel_, prefix, NotEnabledText::kNumbered, BroughtBack::kPasses);
  bool paused = false;
  if (R == RampRole::CurrentAltitude) {
    PAUSE_RESUME_TEST* pause = Simulation(mc).pauseResumeTest.get();
    paused = pause && pause->Value();
  }
  const bool coupled = CoupledAltitudeSimulationOn(mc);

  const Velmarin::Locker_ID who = this->WriterId();
  const std::vector<int> targets = TargetChannels(channel_, n, coupled);
  SettingWrite{prefix, targets, targets, LocksOf(RoleInfo(R).callbackTranslatesLocks)}.WriteEngines(
      [&](int ch) { WriteItem(mc.Items(), ChannelEngine(mc, ch, prefix, method), EngineOp(), who, value); },
      [&](int ch) { ShowChannel(ch); });

  bool changed;
  if (R == RampRole::CurrentAltitude) {
    changed = ShowChannel(channel_);
    for (int ch : targets)
      if (ch != channel_) ShowChannel(ch);
  } else {
    // The written member shows its engine's answer now. What the engines derived from it (the
    // rest of each written channel's ramp, this member on the other written channels) follows
    // a moment later, or at once for a client that reads it.
    changed = ShowEngine();
    for (int ch : targets) followUps_->Post(ch);
  }
  AfterReadBack(n, coupled, paused);

  if (!changed || !coupled) return;
  // Twins whose channel is not enabled only show the value.
  const Record accepted = this->attr_.Value();
  for (int ch = 1; ch <= 3; ++ch)
    if (ch != channel_ && std::find(targets.begin(), targets.end(), ch) == targets.end())
      if (RampParameter* twin = Simulation(mc).template Ramp<R>(ch)) twin->SetValue(accepted);
}

template <RampRole R>
void RampParameter<R>::AfterReadBack(int enabled, bool coupled, bool paused) {
  // Only channel 1 makes a paused engine take the new altitude at once.
  if (R != RampRole::CurrentAltitude || channel_ != 1 || !paused) return;
  radalt::Core& mc = *this->mc_;
  for (int ch : TargetChannels(1, enabled, coupled)) mc.GetSingleChannelPtr(ch)->ApplyCurrentAltitude();
}

namespace {
// f(role, member) for the start, stop, rate and duration of channel, in that order (member null
// where there is none).
template <class F>
void EachRampSetting(radalt::Core& mc, int channel, F&& f) {
  SimulationObjects& sim = Simulation(mc);
  f(RampRole::StartAltitude, sim.Ramp<RampRole::StartAltitude>(channel));
  f(RampRole::StopAltitude, sim.Ramp<RampRole::StopAltitude>(channel));
  f(RampRole::Rate, sim.Ramp<RampRole::Rate>(channel));
  f(RampRole::Duration, sim.Ramp<RampRole::Duration>(channel));
}
}  // namespace

void ShowRampSettings(radalt::Core& mc, int channel, const std::function<void(RampRole, bool)>& shown) {
  EachRampSetting(mc, channel, [&](RampRole role, auto* p) {
    const bool changed = p && p->ShowEngine();
    if (shown) shown(role, changed);
  });
}

void FollowRampSettings(radalt::Core& mc, int channel) {
  EachRampSetting(mc, channel, [](RampRole, auto* p) {
    if (p) p->FollowEngine();
  });
}

template <RampRole R>
void RampParameter<R>::Recall() {
  const std::string prefix = LogPrefix(ClassName(), "Recall" + MethodName(""));
  Record r = this->attr_.Value();
  r.val = this->template Recalled<typename Kind::Stored>(persistanceName_.c_str());
  this->attr_ = r;
  const Velmarin::Locker_ID who = this->WriterId();
  SettingWrite{prefix, {channel_}, {}, LocksOf((RoleInfo(R).recallTranslatesLocks >> (channel_ - 1)) & 1u)}.WriteEngines(
      [&](int) { WriteItem(this->mc_->Items(), this->mc_->GetSingleChannelPtr(channel_), EngineOp(), who, r); },
      [](int) {});
}

template class RampParameter<RampRole::CurrentAltitude>;
template class RampParameter<RampRole::StartAltitude>;
template class RampParameter<RampRole::StopAltitude>;
template class RampParameter<RampRole::Rate>;
template class RampParameter<RampRole::Duration>;

}  // namespace radalt
