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
  StopActivities,  // stop whatever runs (simulation, altitude-indicator zero, diagnostics ...)
  AidSettings,     // AID mode, variable, fixed
  AltitudeUnits,
  Profiles,        // empty profiles
  Coupling,        // coupled altitude simulation off
  RampSettings,    // manual ramp settings to their start values
  DiagnosticSettings,
  DistanceUnits,
  RfLevels,        // per channel: distance offset, output power, loop loss
  PauseResume,
  RfConnection,
  RfLevelMode,     // RF level mode, RF level offset, per channel the path losses
  SimulationMode,
  SlaveMode,
  UutDetection,    // detection mode, UUT type and sub-type, CDF altitude correction
  ProfileNames,
  SettingsNames,
  DisplayModes,
};
constexpr ResetStep kResetSteps[] = {
    ResetStep::StopActivities, ResetStep::AidSettings,        ResetStep::AltitudeUnits, ResetStep::Profiles,
    ResetStep::Coupling,       ResetStep::RampSettings,       ResetStep::DiagnosticSettings,
    ResetStep::DistanceUnits,  ResetStep::RfLevels,           ResetStep::PauseResume,   ResetStep::RfConnection,
    ResetStep::RfLevelMode,    ResetStep::SimulationMode,     ResetStep::SlaveMode,     ResetStep::UutDetection,
    ResetStep::ProfileNames,   ResetStep::SettingsNames,      ResetStep::DisplayModes};

// The steps of the settings recall, in the order they run.
enum class RecallStep {
  ChannelConfiguration,  // channel counts, slave mode, coupling
  Calibration,
  RfLevelMode,           // RF level mode, coupled manual RF level
  RfConnection,
  AidSettings,
  UnitsAndUut,  // units, UUT detection and type, display modes
  Simulation,
  RfLevels,              // RF level offset; per channel output power, loop loss, losses, offset
  SettingsNames,         // per channel the settings name
};
constexpr RecallStep kRecallSteps[] = {RecallStep::ChannelConfiguration, RecallStep::Calibration,
                                       RecallStep::RfLevelMode,          RecallStep::RfConnection,
                                       RecallStep::AidSettings,          RecallStep::UnitsAndUut,
                                       RecallStep::Simulation,           RecallStep::RfLevels,
                                       RecallStep::SettingsNames};

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
  // Installs the subsystem's remote servants as children of the engine's registration
  // (construction step 13). A servant that cannot be built is logged and left out.
  virtual void InstallServants() {}
  // Deactivates them and waits for what they started: the first step of the destructor, so
  // that no remote request reaches what the rest of it takes apart.
  virtual void RemoveServants() {}
  // Every attribute of channel shows what that channel's engine holds (an engine that joined
  // again, answered again after a call it did not answer, or recalled settings of its own).
  virtual void ShowEngine(int channel) { (void)channel; }
  // A channel engine came or went: the registry's counts now.
  virtual void ChannelsChanged(unsigned available, unsigned enabled) {
    (void)available;
    (void)enabled;
  }
};

// Builds a subsystem on core (one line of the registration table in engine/Subsystems.cpp).
using SubsystemFactory = std::unique_ptr<Subsystem> (*)(Core& core);

}  // namespace radalt
