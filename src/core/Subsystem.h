// One subsystem of the master control (one folder of src/): it builds its parameter objects
// into the construction groups, and takes part in reset, recall and the coming and going of
// channel engines. The composition root (RADALT_MC) runs each phase over every registered
// subsystem in registration order; a subsystem overrides only the phases it takes part in.
#pragma once

#include <memory>

namespace radalt {

class Core;

// The steps of Reset, in the order they run; each step runs over every subsystem. The
// channel engines themselves are reset (ResetState, ResetHardware) between StopActivities
// and Profiles.
enum class ResetStep {
  StopActivities,  // stop whatever runs (simulation, altitude-indicator zero ...)
  Profiles,        // empty profiles
  Coupling,        // coupled altitude simulation off
  RampSettings,    // manual ramp settings to their start values
  PauseResume,
  RfConnection,
  SimulationMode,
  SlaveMode,
  ProfileNames,
};
constexpr ResetStep kResetSteps[] = {ResetStep::StopActivities, ResetStep::Profiles,      ResetStep::Coupling,
                                     ResetStep::RampSettings,   ResetStep::PauseResume,   ResetStep::RfConnection,
                                     ResetStep::SimulationMode, ResetStep::SlaveMode,     ResetStep::ProfileNames};

// The steps of the settings recall, in the order they run.
enum class RecallStep {
  ChannelConfiguration,  // channel counts, slave mode, coupling
  Calibration,
  RfConnection,
  Simulation,
};
constexpr RecallStep kRecallSteps[] = {RecallStep::ChannelConfiguration, RecallStep::Calibration,
                                       RecallStep::RfConnection, RecallStep::Simulation};

// The construction groups, built 0 to 3, then the channel engines are waited for, then 4 and 5.
constexpr int kConstructionGroups = 6;

class Subsystem {
 public:
  virtual ~Subsystem() = default;
  virtual const char* Name() const = 0;

  // Builds this subsystem's objects of construction group (0 to 5). What cannot be built
  // throws: the master control is then not built either.
  virtual void Construct(int group) { (void)group; }
  // Takes part in step of Reset.
  virtual void Reset(ResetStep step) { (void)step; }
  // Takes part in step of the settings recall (RecallMCSettings).
  virtual void RecallSettings(RecallStep step) { (void)step; }
  // Recalls the profiles (RecallMCProfile).
  virtual void RecallProfile() {}
  // A channel engine came or went: the registry's counts now.
  virtual void ChannelsChanged(unsigned available, unsigned enabled) {
    (void)available;
    (void)enabled;
  }
};

// Builds a subsystem on core (one line of the registration table in engine/Subsystems.cpp).
using SubsystemFactory = std::unique_ptr<Subsystem> (*)(Core& core);

}  // namespace radalt
