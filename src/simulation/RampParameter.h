// The manual altitude and ramp settings of one channel: current, start and stop altitude,
// altitude rate and duration. Each forwards a write to its channel's engine (every enabled
// engine when the channels are coupled), shows what the engine accepted and, coupled, gives
// the accepted value to its twins of the other channels. Limits, units and initial values
// are those of channel 1's engine when the master control is built.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "FollowUps.h"
#include "MYGUIABLE.h"
#include "Parameter.h"
#include "RampRole.h"
#include "SimulationCommon.h"

namespace radalt {

// What tells the five members apart, besides their record kind.
struct RampRoleInfo {
  const char* classStem;   // "CURRENT_START_ALTITUDE_CHAN" + digit
  const char* camel;       // "CurrentStartAltitude" + "Chan" + digit
  const char* keyStem;     // "CH" + digit + "CURSTARTALT"
  bool callbackTranslatesLocks;   // an engine's Locking_Error is logged and re-thrown
  unsigned recallTranslatesLocks; // the same in the recall, one bit per channel (bit 0: channel 1)
};
const RampRoleInfo& RoleInfo(RampRole role);

// A ramp setting's servant: a client's read first settles what its channel's engine derived
// from the last writes (the channel's ramp follow-ups; none: nothing to settle).
template <class Servant>
class SettledServant : public Servant {
 public:
  template <class... Args>
  SettledServant(FollowUps* followUps, int channel, Args&&... args)
      : Servant(std::forward<Args>(args)...), followUps_(followUps), channel_(channel) {}

  decltype(std::declval<Servant&>().Get()) Get() override {
    Settle();
    return Servant::Get();
  }
  CORBA::Any* GetAny() override {
    Settle();
    return Servant::GetAny();
  }
  void Settle() {
    if (followUps_) followUps_->Settle(channel_);
  }
  using Servant::operator=;

 private:
  FollowUps* const followUps_;
  const int channel_;
};

// The altitudes and the rate carry a VALUE_DOUBLE, the duration a VALUE_LONG.
struct DoubleRampKind {
  using Servant = SettledServant<Velmarin::EngineAttribValueDouble_i>;
  using Record = VALUE_DOUBLE::VALUE;
  using Params = Velmarin::EngineAttribValueDoubleParams;
  using EngineItem = Velmarin::EngineAttribValueDouble;
  using Stored = double;
  using Number = CORBA::Double;
  static bool Same(const Record& a, const Record& b) { return ValueDoubleSame(a, b, 0.001, 0.001); }
};
struct LongRampKind {
  using Servant = SettledServant<Velmarin::EngineAttribValueLong_i>;
  using Record = VALUE_LONG::VALUE;
  using Params = Velmarin::EngineAttribValueLongParams;
  using EngineItem = Velmarin::EngineAttribValueLong;
  using Stored = int;
  using Number = CORBA::Long;
  static bool Same(const Record& a, const Record& b) { return ValueLongSame(a, b); }
};
template <RampRole R>
struct RampKind : DoubleRampKind {};
template <>
struct RampKind<RampRole::Duration> : LongRampKind {};

// The engine operation that hands out each member's item.
template <RampRole R>
struct RampItem;
using RampEngine = SCI::_objref_RADALTSC_MAIN_INTERFACE;
template <>
struct RampItem<RampRole::CurrentAltitude> {
  static ScItemOp<Velmarin::EngineAttribValueDouble_ptr> Op() { return &RampEngine::CurrentAltitude; }
};
template <>
struct RampItem<RampRole::StartAltitude> {
  static ScItemOp<Velmarin::EngineAttribValueDouble_ptr> Op() { return &RampEngine::CurrentStartAltitude; }
};
template <>
struct RampItem<RampRole::StopAltitude> {
  static ScItemOp<Velmarin::EngineAttribValueDouble_ptr> Op() { return &RampEngine::CurrentStopAltitude; }
};
template <>
struct RampItem<RampRole::Rate> {
  static ScItemOp<Velmarin::EngineAttribValueDouble_ptr> Op() { return &RampEngine::CurrentAltitudeRate; }
};
template <>
struct RampItem<RampRole::Duration> {
  static ScItemOp<Velmarin::EngineAttribValueLong_ptr> Op() { return &RampEngine::CurrentAltitudeDuration; }
};

template <RampRole R>
class RampParameter : public Parameter<typename RampKind<R>::Servant> {
  using Kind = RampKind<R>;
  using Base = Parameter<typename Kind::Servant>;

 public:
  using Record = typename Kind::Record;
  using Number = typename Kind::Number;
  using EngineItemPtr = typename Kind::EngineItem::_ptr_type;

  // Write handler: check, forward, read back, extras, mirror into the twins when coupled.
  void Callback(const Record& value);
  // Assigns the persisted value and writes it to this channel's engine.
  void Recall();
  // Assigns value when it differs from the current one (publishing it); no checks, nothing
  // forwarded. Returns whether it assigned.
  bool SetValue(const Record& value);
  // A copy of the current record with only its value replaced.
  Record WithValue(Number value) const;
  // The current record, once the channel's follow-ups are settled.
  Record Value() const;
  // Shows what this channel's engine holds (SetValue of the engine's record).
  bool ShowEngine();
  // The same as a follow-up: the engine's record is shown unless this member showed another
  // (a write's read-back, a mirror) after the engine was asked.
  void FollowEngine();
  int Channel() const { return channel_; }
  typename Base::Ref Reference() { return this->This(); }

  // The engine operation of this member's item.
  static ScItemOp<EngineItemPtr> EngineOp() { return RampItem<R>::Op(); }

 protected:
  RampParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                Velmarin::Lockable_i& group);

 private:
  struct Initial {
    Record value;
    typename Kind::Params params;
  };
  RampParameter(int channel, STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                Velmarin::Lockable_i& group, const Initial& initial, FollowUps* followUps);
  static Initial FromChannel1(radalt::Core* mc);
  // The follow-ups of the ramp settings (the current altitude has none: null).
  static FollowUps* FollowUpsOf(radalt::Core* mc);
  bool Assign(const Record& value);

  std::string ClassName() const;
  std::string MethodName(const char* what) const;
  static EngineLocks LocksOf(bool translated) { return translated ? EngineLocks::kTranslated : EngineLocks::kAsTheyAre; }
  // channel's member of this role shows its engine (the ramp members: all four of channel);
  // returns whether this role's member changed.
  bool ShowChannel(int channel);
  // What a member does after the read-back (current altitude: apply while paused).
  void AfterReadBack(int enabled, bool coupled, bool paused);

  const int channel_;
  const std::string persistanceName_;
  FollowUps* const followUps_;
  std::mutex showMutex_;  // shown_ and what it counts
  unsigned shown_ = 0;    // records shown other than by a follow-up
};

// The start, stop, rate and duration of channel show what channel's engine holds; shown(role,
// changed) is told of each.
void ShowRampSettings(radalt::Core& mc, int channel, const std::function<void(RampRole, bool)>& shown = {});
// The follow-up of a write to channel's ramp: its start, stop, rate and duration show what the
// engine derived (FollowEngine). A member the engine does not answer for keeps its record.
void FollowRampSettings(radalt::Core& mc, int channel);

using CurrentAltitudeParameter = RampParameter<RampRole::CurrentAltitude>;
using StartAltitudeParameter = RampParameter<RampRole::StartAltitude>;
using StopAltitudeParameter = RampParameter<RampRole::StopAltitude>;
using AltitudeRateParameter = RampParameter<RampRole::Rate>;
using AltitudeDurationParameter = RampParameter<RampRole::Duration>;

extern template class RampParameter<RampRole::CurrentAltitude>;
extern template class RampParameter<RampRole::StartAltitude>;
extern template class RampParameter<RampRole::StopAltitude>;
extern template class RampParameter<RampRole::Rate>;
extern template class RampParameter<RampRole::Duration>;

}  // namespace radalt
