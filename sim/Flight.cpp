#include "Flight.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "RadAltSC.hh"

namespace radaltsim {

namespace {

namespace Sim = RadAltSingleChannelModel::AltimeterSimulationObjects;

// The items the flight reads and decides.
const char* const kMode = "SIMMODE";
const char* const kRun = "RUNSTOPTEST";
const char* const kPause = "PAUSERESUMETEST";
const char* const kCurrent = "CURALT";
const char* const kStart = "CURSTARTALT";
const char* const kStop = "CURSTOPALT";
const char* const kRate = "CURALTRATE";
const char* const kDuration = "CURDURATION";
const char* const kLegs = "LEGDATA";
const char* const kLegNumber = "PROFILELEGNUM";
const char* const kTotal = "TOTALDUR";
const char* const kZeroActive = "ALTINDZEROACTIVE";
const char* const kSimulated = "SIMACTALT";

constexpr long kProfileMode = 1;
constexpr std::size_t kNoLeg = static_cast<std::size_t>(-1);

template <class E>
[[noreturn]] void Refuse(const std::string& text) {
  std::cout << " radaltsc refused: " << text << std::endl;
  throw E(text.c_str());
}

[[noreturn]] void Conflict(const std::string& text) { Refuse<Velmarin::Operation_errors::Settings_Conflict>(text); }

std::size_t FirstValid(const std::vector<LegPlan>& legs, std::size_t from) {
  for (std::size_t i = from; i < legs.size(); ++i)
    if (legs[i].valid) return i;
  return kNoLeg;
}

}  // namespace

FlightModel::FlightModel(ItemStore& items, std::chrono::milliseconds tick) : items_(items) {
  using Write = void (FlightModel::*)(double);
  static const struct {
    const char* key;
    Write write;
  } kWrites[] = {
      {kRun, &FlightModel::WriteRun},          {kMode, &FlightModel::WriteMode},
      {kCurrent, &FlightModel::WriteCurrentAltitude},
      {kStart, &FlightModel::WriteStart},      {kStop, &FlightModel::WriteStop},
      {kRate, &FlightModel::WriteRate},        {kDuration, &FlightModel::WriteDuration},
      {kTotal, &FlightModel::WriteTotalDuration},
  };
  for (const auto& w : kWrites) {
    items_.OnWrite(w.key, [this, write = w.write](double v) {
      Lock hold(mutex_);
      (this->*write)(v);
    });
  }
  items_.OnWriteAny(kLegs, [this](const CORBA::Any& v) {
    Lock hold(mutex_);
    WriteLegs(v);
  });
  items_.OnCommand("STARTALTINDZERO", [this] {
    Lock hold(mutex_);
    StartZero();
  });
  for (const char* end : {"SAVEALTINDZERO", "ABORTALTINDZERO"}) {
    items_.OnCommand(end, [this] {
      Lock hold(mutex_);
      EndZero();
    });
  }
  altitude_ = items_.Number(kCurrent);
  clock_.Start(tick, [this](double seconds) { Advance(seconds); });
}

FlightModel::~FlightModel() { StopClock(); }

void FlightModel::StopClock() { clock_.Stop(); }

// ---- state read from the items ---------------------------------------------------------

bool FlightModel::Running() const { return items_.Number(kRun) != 0; }
bool FlightModel::Flying() const { return Running() && items_.Number(kPause) == 0; }
bool FlightModel::ProfileMode() const { return std::lround(items_.Number(kMode)) == kProfileMode; }
bool FlightModel::Zeroing() const { return items_.Number(kZeroActive) != 0; }

const LegPlan* FlightModel::CurrentLeg() const {
  return leg_ < legs_.size() && legs_[leg_].valid ? &legs_[leg_] : nullptr;
}

RampLimits FlightModel::Limits() const {
  const ItemSpec& altitude = items_.Row(kStart);
  const ItemSpec& duration = items_.Row(kDuration);
  return RampLimits{altitude.min, altitude.max, items_.Row(kRate).max, std::lround(duration.min),
                    std::lround(duration.max)};
}

Ramp FlightModel::ManualRamp() const {
  Ramp r;
  r.start = items_.Number(kStart);
  r.stop = items_.Number(kStop);
  r.rate = items_.Number(kRate);
  r.duration = std::lround(items_.Number(kDuration));
  return r;
}

// ---- flying ------------------------------------------------------------------------------

void FlightModel::Advance(double seconds) {
  Lock hold(mutex_);
  if (!(seconds > 0.0) || !Flying()) return;
  if (ProfileMode())
    FlyProfile(seconds);
  else
    altitude_ = MoveToward(altitude_, items_.Number(kStop), items_.Number(kRate) * seconds);
  ShowAltitude();
}

void FlightModel::FlyProfile(double seconds) {
  while (seconds > 0.0) {
    const LegPlan* leg = CurrentLeg();
    if (!leg) return;
    const bool ramp = leg->rate > 0.0;
    const double left = ramp ? std::fabs(leg->stop - altitude_) / leg->rate : leg->duration - levelElapsed_;
    if (left > seconds) {
      if (ramp)
        altitude_ = MoveToward(altitude_, leg->stop, leg->rate * seconds);
      else
        levelElapsed_ += seconds;
      return;
    }
    seconds -= std::max(left, 0.0);
    if (ramp) altitude_ = leg->stop;
    levelElapsed_ = ramp ? 0.0 : leg->duration;
    const std::size_t next = FirstValid(legs_, leg_ + 1);
    if (next == kNoLeg) return;  // the profile is flown: hold its last altitude
    EnterLeg(next);
  }
}

void FlightModel::EnterLeg(std::size_t i) {
  leg_ = i;
  levelElapsed_ = 0.0;
  altitude_ = legs_[i].start;
  ShowLeg();
}

void FlightModel::ShowLeg() {
  const LegPlan* leg = CurrentLeg();
  items_.Update(kLegNumber, leg ? static_cast<double>(leg_ + 1) : 0.0);
  if (!leg || !ProfileMode()) return;
  items_.Update(kStart, leg->start);
  items_.Update(kStop, leg->stop);
  items_.Update(kRate, leg->rate);
  items_.Update(kDuration, static_cast<double>(leg->duration));
}

void FlightModel::ShowAltitude() {
  items_.Update(kCurrent, altitude_);
  items_.Update(kSimulated, Zeroing() ? 0.0 : altitude_);
}

void FlightModel::ApplyCurrentAltitude() {
  Lock hold(mutex_);
  altitude_ = items_.Number(kCurrent);
  ShowAltitude();
}

void FlightModel::Reset() {
  Lock hold(mutex_);
  legs_.clear();
  leg_ = 0;
  levelElapsed_ = 0.0;
  items_.ResetAll();
  altitude_ = items_.Number(kCurrent);
}

// ---- write handlers ----------------------------------------------------------------------

void FlightModel::WriteRun(double v) {
  const bool run = v != 0;
  if (run == Running()) return;
  if (run) {
    if (Zeroing())
      Conflict("RUNSTOPTEST - the altitude indicator zero is active; save or abort it before running");
    if (ProfileMode()) {
      const std::size_t first = FirstValid(legs_, 0);
      if (first == kNoLeg)
        Conflict("RUNSTOPTEST - the profile has no valid legs; define one or change to manual simulation");
      EnterLeg(first);
    } else {
      altitude_ = items_.Number(kStart);
    }
  }
  items_.Assign(kRun, run);
  ShowAltitude();
}

void FlightModel::WriteMode(double v) {
  if (std::lround(v) == std::lround(items_.Number(kMode))) return;
  if (Running()) Conflict("SIMMODE - stop the simulation before changing the simulation mode");
  items_.Assign(kMode, v);
  ShowLeg();
}

void FlightModel::WriteCurrentAltitude(double v) {
  if (Flying()) Conflict("CURALT - pause the simulation to change the current altitude");
  items_.Assign(kCurrent, v);
  if (Running()) return;  // paused: ApplyCurrentAltitude moves the flight there
  altitude_ = v;
  ShowAltitude();
}

void FlightModel::ChangeRamp(void (*set)(Ramp&, double), double v, Ramp (*follow)(Ramp, const RampLimits&)) {
  if (ProfileMode() && CurrentLeg()) return;  // the ramp items show the current leg
  Ramp r = ManualRamp();
  set(r, v);
  r = follow(r, Limits());
  items_.Update(kStart, r.start);
  items_.Update(kStop, r.stop);
  items_.Update(kRate, r.rate);
  items_.Update(kDuration, static_cast<double>(r.duration));
}

void FlightModel::WriteStart(double v) {
  ChangeRamp([](Ramp& r, double x) { r.start = x; }, v, DurationFollowsRate);
}
void FlightModel::WriteStop(double v) {
  ChangeRamp([](Ramp& r, double x) { r.stop = x; }, v, DurationFollowsRate);
}
void FlightModel::WriteRate(double v) {
  ChangeRamp([](Ramp& r, double x) { r.rate = x; }, v, DurationFollowsRate);
}
void FlightModel::WriteDuration(double v) {
  const long duration = std::lround(v);
  // The duration the ramp already has leaves its rate as it is.
  if (duration == std::lround(items_.Number(kDuration))) return;
  ChangeRamp([](Ramp& r, double x) { r.duration = std::lround(x); }, v, RateFollowsDuration);
}

void FlightModel::WriteTotalDuration(double) {
  Refuse<Velmarin::Operation_errors::NotSupported>("TOTALDUR - the total duration follows from the profile legs");
}

void FlightModel::WriteLegs(const CORBA::Any& v) {
  if (ProfileMode() && Running()) Conflict("LEGDATA - stop the profile simulation before changing its legs");
  CORBA::TypeCode_var type = v.type();
  const Sim::alt_sim_data_seq* seq = nullptr;
  const bool empty = type->kind() == CORBA::tk_null || type->kind() == CORBA::tk_void;
  if (!empty && !(v >>= seq))
    Refuse<Velmarin::Operation_errors::Data_Source_Not_Compatible>("LEGDATA - not a sequence of altitude legs");

  const RampLimits limits = Limits();
  std::vector<LegPlan> legs;
  for (CORBA::ULong i = 0; seq && i < seq->length(); ++i) {
    const Sim::Alt_Sim_Data& leg = (*seq)[i];
    legs.push_back(PlanLeg(leg.Start_Alt, leg.Stop_Alt, leg.AltRate_Dur, limits));
  }
  items_.AssignAny(kLegs, v);
  legs_ = std::move(legs);
  const std::size_t first = FirstValid(legs_, 0);
  leg_ = first == kNoLeg ? 0 : first;
  levelElapsed_ = 0.0;
  items_.Update(kTotal, std::min<double>(TotalDuration(legs_), items_.Row(kTotal).max));
  ShowLeg();
}

void FlightModel::StartZero() {
  if (Running()) Conflict("STARTALTINDZERO - stop the simulation before zeroing the altitude indicator");
  if (items_.Update(kZeroActive, 1.0)) ShowAltitude();
}

void FlightModel::EndZero() {
  if (items_.Update(kZeroActive, 0.0)) ShowAltitude();
}

}  // namespace radaltsim
