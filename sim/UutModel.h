// The unit under test a simulated channel sees: plugged in or not, of a type and sub-type, and
// the channel's own synthesiser locks. While a unit is plugged in and a simulation runs, the
// channel measures it: frequency, power, sweep, deviation, pulses, the altitude it reports and
// its ARINC outputs move and are valid. The diagnostic readings move while their switch is on.
//
// The plug is a control of the simulator only, reached through items of its own (`SIMUUT...`,
// `SIM...UNLCK...`), so a client sets it like any attribute: `radaltctl set CH1:SIMUUTPRESENT 1`.
#pragma once

#include "ModelClock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "ScItems.h"

namespace radaltsim {

class UutModel {
 public:
  // Adds the simulator's own items to items and takes over the writes of the UUT items. With
  // a tick above zero a clock thread moves the readings once per tick; with zero they move
  // only through Advance.
  UutModel(ItemStore& items, std::chrono::milliseconds tick);
  ~UutModel();
  UutModel(const UutModel&) = delete;
  UutModel& operator=(const UutModel&) = delete;

  // Plugs in a unit of type (1..4) and CDF sub-type (0..1); refused outside those values.
  void Plug(int type, int subType);
  void Unplug();
  // Raises or clears one hardware-unlock flag by its reading's key ("RFUNLCKFMCW", ...); the
  // overall flag is their OR.
  void SetUnlocked(const std::string& flag, bool unlocked);

  // Moves the readings on by `seconds`.
  void Advance(double seconds);
  // After the engine's items went back to their initial values: what is plugged in stays.
  void AfterReset();
  void StopClock();

 private:
  using Lock = std::unique_lock<std::mutex>;

  bool Automatic() const;
  bool Present() const;
  // In automatic detection the engine's type and sub-type are those of the plugged unit.
  void Detect();
  void ShowUnlocked();
  void Measure(double t);
  void Hold();
  void Diagnostics(double t);

  ItemStore& items_;
  mutable std::mutex mutex_;
  double time_ = 0.0;  // seconds the readings have moved

  ModelClock clock_;  // last: it stops before the state it moves goes
};

}  // namespace radaltsim
