// The altitude a simulated channel flies: a manual ramp or a profile of legs, run, paused and
// stopped through the engine's items, and the altitude-indicator zero function.
#pragma once

#include "ModelClock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "Ramp.h"
#include "ScItems.h"

namespace radaltsim {

class FlightModel {
 public:
  // Takes over the writes of the simulation items of items. With a tick above zero a clock
  // thread advances the flight by the time that really passed, once per tick; with zero the
  // flight moves only through Advance.
  FlightModel(ItemStore& items, std::chrono::milliseconds tick);
  ~FlightModel();
  FlightModel(const FlightModel&) = delete;
  FlightModel& operator=(const FlightModel&) = delete;

  // Flies `seconds` on when a simulation runs and is not paused.
  void Advance(double seconds);
  // Moves the flown altitude to the current-altitude item's value at once.
  void ApplyCurrentAltitude();
  // Back to a fresh engine: every item at its initial value, nothing loaded or flying.
  void Reset();
  // Ends the clock thread for good (the destructor does it too).
  void StopClock();

 private:
  using Lock = std::unique_lock<std::mutex>;

  // write handlers, each called with mutex_ held (a pause is a plain value, read on each tick)
  void WriteRun(double run);
  void WriteMode(double mode);
  void WriteCurrentAltitude(double altitude);
  void WriteStart(double v);
  void WriteStop(double v);
  void WriteRate(double v);
  void WriteDuration(double v);
  void WriteTotalDuration(double v);
  void WriteLegs(const CORBA::Any& legs);
  void StartZero();
  void EndZero();

  bool Running() const;
  bool Flying() const;  // running and not paused
  bool ProfileMode() const;
  bool Zeroing() const;
  const LegPlan* CurrentLeg() const;
  RampLimits Limits() const;
  Ramp ManualRamp() const;
  // A manual ramp change: set applies the write, follow ties the other values to it. In profile
  // mode the ramp items show the current leg whatever is written.
  void ChangeRamp(void (*set)(Ramp&, double), double v, Ramp (*follow)(Ramp, const RampLimits&));
  // Shows the current leg in the leg number and the ramp items.
  void ShowLeg();
  // Starts leg i at its start altitude.
  void EnterLeg(std::size_t i);
  void FlyProfile(double seconds);
  // Publishes the flown altitude in the current-altitude item and the simulated altitude.
  void ShowAltitude();

  ItemStore& items_;
  mutable std::mutex mutex_;
  std::vector<LegPlan> legs_;      // every leg written, valid or not, in profile order
  std::size_t leg_ = 0;            // index of the current leg in legs_
  double altitude_ = 0.0;          // the altitude flown
  double levelElapsed_ = 0.0;      // seconds spent on the current level leg

  ModelClock clock_;  // last: it stops before the state it moves goes
};

}  // namespace radaltsim
