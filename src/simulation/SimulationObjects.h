// The altitude-simulation parameter objects of the master control, owned by RADALT_MC and
// built in its construction groups.
#pragma once

#include <memory>

#include "PerChannel.h"
#include "RampRole.h"

namespace radalt {
class Core;
}  // namespace radalt
class START_ALT_IND_ZERO;
class SAVE_ALT_IND_ZERO;
class ABORT_ALT_IND_ZERO;
class ALT_SIM_MODIFIED;
class ALT_SIM_TOTAL_DURATION;
class RUN_STOP_TEST;
class PAUSE_RESUME_TEST;
class SIMULATION_MODE;

namespace radalt {

template <RampRole R>
class RampParameter;
class AltSimDataParameter;
class AltSimNameParameter;
class ProfileLegNumber;

class FollowUps;

struct SimulationObjects {
  SimulationObjects();
  // Ends the ramp follow-ups before any parameter object goes.
  virtual ~SimulationObjects();

  // What channel 1, 2 or 3's engine derived from the last writes to its ramp settings,
  // followed up off the writers' threads (built with construction group 5, before the ramp).
  std::unique_ptr<FollowUps> rampFollowUps;

  // construction group 2
  std::unique_ptr<START_ALT_IND_ZERO> startAltIndZero;
  std::unique_ptr<SAVE_ALT_IND_ZERO> saveAltIndZero;
  std::unique_ptr<ABORT_ALT_IND_ZERO> abortAltIndZero;
  // construction group 3
  PerChannel<ProfileLegNumber> profileLegNumber;  // PROFILE_LEG_NUMBER_CHAN1 ..
  // construction group 4
  PerChannel<AltSimDataParameter> altSimData;  // ALT_SIM_DATA_CHAN1 ..
  PerChannel<ALT_SIM_MODIFIED> altSimModified;
  // construction group 5
  std::unique_ptr<ALT_SIM_TOTAL_DURATION> altSimTotalDuration;
  std::unique_ptr<RUN_STOP_TEST> runStopTest;
  std::unique_ptr<PAUSE_RESUME_TEST> pauseResumeTest;
  std::unique_ptr<SIMULATION_MODE> simulationMode;
  PerChannel<RampParameter<RampRole::StartAltitude>> currentStartAltitude;  // CURRENT_START_ALTITUDE_CHAN1 ..
  PerChannel<RampParameter<RampRole::StopAltitude>> currentStopAltitude;    // CURRENT_STOP_ALTITUDE_CHAN1 ..
  PerChannel<RampParameter<RampRole::Rate>> currentAltitudeRate;            // CURRENT_ALTITUDE_RATE_CHAN1 ..
  PerChannel<RampParameter<RampRole::Duration>> currentAltitudeDuration;    // CURRENT_ALTITUDE_DURATION_CHAN1 ..
  PerChannel<AltSimNameParameter> altSimName;                               // ALT_SIM_NAME_CHAN1 ..
  PerChannel<RampParameter<RampRole::CurrentAltitude>> currentAltitude;     // CURRENT_ALTITUDE_CHAN1 ..

  // The ramp settings of role R.
  template <RampRole R>
  const PerChannel<RampParameter<R>>& Ramps() const {
    if constexpr (R == RampRole::CurrentAltitude)
      return currentAltitude;
    else if constexpr (R == RampRole::StartAltitude)
      return currentStartAltitude;
    else if constexpr (R == RampRole::StopAltitude)
      return currentStopAltitude;
    else if constexpr (R == RampRole::Rate)
      return currentAltitudeRate;
    else
      return currentAltitudeDuration;
  }
  // The per-channel objects by channel (1 to 3); null when not built or outside 1 to 3.
  template <RampRole R>
  RampParameter<R>* Ramp(int channel) const {
    return Ramps<R>().At(channel);
  }
  AltSimDataParameter* AltSimData(int channel) const { return altSimData.At(channel); }
  AltSimNameParameter* AltSimName(int channel) const { return altSimName.At(channel); }
  ALT_SIM_MODIFIED* AltSimModified(int channel) const { return altSimModified.At(channel); }
};

// Builds the simulation objects of construction group (2 to 5) into objects.
void ConstructSimulationGroup(int group, Core& mc, SimulationObjects& objects);

// The simulation objects of the master control (the simulation subsystem provides them).
SimulationObjects& Simulation(Core& mc);

// The simulation mode the master control shows (0 manual, 1 profile).
int SimulationModeValue(const SimulationObjects& objects);

}  // namespace radalt
