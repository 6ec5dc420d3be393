// The questions one subsystem answers for the others. A subsystem that answers one
// implements it and provides it (Core::Provide) while it is built; the others find it
// through Core, never through the subsystem's own headers.
#pragma once

#include <string>
#include <vector>

#include "LockGroups.h"
#include "VelmarinLock.hh"

namespace radalt {

// The channel configuration (channels/): how many channels are enabled, whether channels 2
// and 3 follow channel 1's simulation.
class ChannelConfiguration {
 public:
  virtual ~ChannelConfiguration() = default;
  // Always channels 1 to this count ("NOOFENABLEDCHANNELS").
  virtual int EnabledChannels() const = 0;
  virtual bool CoupledAltitudeSimulation() const = 0;
};

// How the enabled count changes (channels/): the checks and the work a new enabled count
// needs before the registry takes it. Called holding the registry's change mutex.
class EnabledCountChange {
 public:
  virtual ~EnabledCountChange() = default;
  // Readies a change of the enabled count from `from` to `to`: refused (the exception the
  // client sees) while a calibration, a test or a diagnostic runs on an enabled channel,
  // unless forced (an engine has gone: the change cannot wait); newly enabled channels take
  // channel 1's channel-wide settings; the factory calibration channel stays among the enabled.
  virtual void PrepareEnabledChange(int from, int to, bool forced) = 0;
  // Once what kept the count down has ended (a run that stopped), the count goes back up to
  // the operator's choice as far as engines are there; still kept down, nothing changes.
  virtual void FollowChoice() = 0;
};

// The altitude simulation (simulation/).
class SimulationState {
 public:
  virtual ~SimulationState() = default;
  virtual bool SimulationRunning() const = 0;
  // 0 manual, 1 profile.
  virtual int SimulationMode() const = 0;
};

// What the altitude simulation (simulation/) shows of the engines: after another subsystem
// wrote a channel's simulation items itself (the coupling copy), the channel's ramp settings,
// profile and profile name show again what its engine holds, and the total duration follows.
class SimulationDisplay {
 public:
  virtual ~SimulationDisplay() = default;
  // Never throws: a channel whose engine cannot say keeps what it showed.
  virtual void FollowEngines(const std::vector<int>& channels) = 0;
};

// What the master control shows of one channel's engine (engine/): after the engine changed
// settings by itself (it recalled stored settings of its own, it answered again after a call
// it did not answer), every subsystem shows what it holds now. Never throws: a subsystem
// whose engine cannot say keeps what it showed, with a line saying so.
class EngineDisplay {
 public:
  virtual ~EngineDisplay() = default;
  virtual void ShowEngine(int channel) = 0;
};

// The calibration buttons' state ("CALBUTTONSLOCKED", calibration/): which activity holds them.
class CalibrationButtons {
 public:
  virtual ~CalibrationButtons() = default;
  virtual void SetCalibrationButtonsLocked(unsigned code) = 0;
  virtual unsigned CalibrationButtonsLocked() const = 0;
};

// The factory calibration channel (calibration/), kept among the enabled channels when
// their count falls.
class FactoryCalibrationChannel {
 public:
  virtual ~FactoryCalibrationChannel() = default;
  virtual int FactoryCalibrationChannelValue() const = 0;
  // Moves the channel within 1 to enabled (channel 1 when none is), as writer who.
  virtual void KeepWithinEnabled(int enabled, const Velmarin::Locker_ID& who) = 0;
};

// The platform self-test engine's lock (selftest/): activities that must not be disturbed
// lock the self-test engine while they run. It stays locked while any activity holds it.
class SelftestEngineLock {
 public:
  virtual ~SelftestEngineLock() = default;
  virtual void Lock(const Activity& activity, const std::string& reason) = 0;
  virtual void Unlock(const Activity& activity) = 0;
};

// The rf level mode's lock (rflevel/), applied again when a simulation stops.
class RfLevelModeLocking {
 public:
  virtual ~RfLevelModeLocking() = default;
  virtual void rfLevelModeLock() = 0;
};

// The distance offsets (rflevel/). The engines keep them in feet; the attributes show them in
// the distance units channel 1's engine uses. Called when the RF connection or the distance
// units changed: every enabled channel's offset shows again what its engine holds.
class DistanceOffsets {
 public:
  virtual ~DistanceOffsets() = default;
  virtual void OffsetUpdateFromSC() = 0;
};

// The journal (journal/): what happened besides client writes (a recall's changes, a self
// test run), one entry each. Must not block.
class EventJournal {
 public:
  virtual ~EventJournal() = default;
  virtual void Note(const std::string& kind, const std::string& text) = 0;
};

}  // namespace radalt
