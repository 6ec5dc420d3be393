// The altitude-simulation parameter objects of the master control, owned by RADALT_MC and
// built in its construction groups.
#pragma once

#include <memory>

namespace radalt {
class Core;
}  // namespace radalt
class START_ALT_IND_ZERO;
class SAVE_ALT_IND_ZERO;
class ABORT_ALT_IND_ZERO;
class PROFILE_LEG_NUMBER_CHAN1;
class PROFILE_LEG_NUMBER_CHAN2;
class PROFILE_LEG_NUMBER_CHAN3;
class ALT_SIM_DATA_CHAN1;
class ALT_SIM_DATA_CHAN2;
class ALT_SIM_DATA_CHAN3;
class ALT_SIM_MODIFIED;
class ALT_SIM_TOTAL_DURATION;
class RUN_STOP_TEST;
class PAUSE_RESUME_TEST;
class SIMULATION_MODE;
class CURRENT_START_ALTITUDE_CHAN1;
class CURRENT_START_ALTITUDE_CHAN2;
class CURRENT_START_ALTITUDE_CHAN3;
class CURRENT_STOP_ALTITUDE_CHAN1;
class CURRENT_STOP_ALTITUDE_CHAN2;
class CURRENT_STOP_ALTITUDE_CHAN3;
class CURRENT_ALTITUDE_RATE_CHAN1;
class CURRENT_ALTITUDE_RATE_CHAN2;
class CURRENT_ALTITUDE_RATE_CHAN3;
class CURRENT_ALTITUDE_DURATION_CHAN1;
class CURRENT_ALTITUDE_DURATION_CHAN2;
class CURRENT_ALTITUDE_DURATION_CHAN3;
class ALT_SIM_NAME_CHAN1;
class ALT_SIM_NAME_CHAN2;
class ALT_SIM_NAME_CHAN3;
class CURRENT_ALTITUDE_CHAN1;
class CURRENT_ALTITUDE_CHAN2;
class CURRENT_ALTITUDE_CHAN3;

namespace radalt {

enum class RampRole;
template <RampRole R>
class RampParameter;
class AltSimDataParameter;
class AltSimNameParameter;

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
  std::unique_ptr<PROFILE_LEG_NUMBER_CHAN1> profileLegNumberChan1;
  std::unique_ptr<PROFILE_LEG_NUMBER_CHAN2> profileLegNumberChan2;
  std::unique_ptr<PROFILE_LEG_NUMBER_CHAN3> profileLegNumberChan3;
  // construction group 4
  std::unique_ptr<ALT_SIM_DATA_CHAN1> altSimDataChan1;
  std::unique_ptr<ALT_SIM_DATA_CHAN2> altSimDataChan2;
  std::unique_ptr<ALT_SIM_DATA_CHAN3> altSimDataChan3;
  std::unique_ptr<ALT_SIM_MODIFIED> altSimModifiedChan1;
  std::unique_ptr<ALT_SIM_MODIFIED> altSimModifiedChan2;
  std::unique_ptr<ALT_SIM_MODIFIED> altSimModifiedChan3;
  // construction group 5
  std::unique_ptr<ALT_SIM_TOTAL_DURATION> altSimTotalDuration;
  std::unique_ptr<RUN_STOP_TEST> runStopTest;
  std::unique_ptr<PAUSE_RESUME_TEST> pauseResumeTest;
  std::unique_ptr<SIMULATION_MODE> simulationMode;
  std::unique_ptr<CURRENT_START_ALTITUDE_CHAN1> currentStartAltitudeChan1;
  std::unique_ptr<CURRENT_START_ALTITUDE_CHAN2> currentStartAltitudeChan2;
  std::unique_ptr<CURRENT_START_ALTITUDE_CHAN3> currentStartAltitudeChan3;
  std::unique_ptr<CURRENT_STOP_ALTITUDE_CHAN1> currentStopAltitudeChan1;
  std::unique_ptr<CURRENT_STOP_ALTITUDE_CHAN2> currentStopAltitudeChan2;
  std::unique_ptr<CURRENT_STOP_ALTITUDE_CHAN3> currentStopAltitudeChan3;
  std::unique_ptr<CURRENT_ALTITUDE_RATE_CHAN1> currentAltitudeRateChan1;
  std::unique_ptr<CURRENT_ALTITUDE_RATE_CHAN2> currentAltitudeRateChan2;
  std::unique_ptr<CURRENT_ALTITUDE_RATE_CHAN3> currentAltitudeRateChan3;
  std::unique_ptr<CURRENT_ALTITUDE_DURATION_CHAN1> currentAltitudeDurationChan1;
  std::unique_ptr<CURRENT_ALTITUDE_DURATION_CHAN2> currentAltitudeDurationChan2;
  std::unique_ptr<CURRENT_ALTITUDE_DURATION_CHAN3> currentAltitudeDurationChan3;
  std::unique_ptr<ALT_SIM_NAME_CHAN1> altSimNameChan1;
  std::unique_ptr<ALT_SIM_NAME_CHAN2> altSimNameChan2;
  std::unique_ptr<ALT_SIM_NAME_CHAN3> altSimNameChan3;
  std::unique_ptr<CURRENT_ALTITUDE_CHAN1> currentAltitudeChan1;
  std::unique_ptr<CURRENT_ALTITUDE_CHAN2> currentAltitudeChan2;
  std::unique_ptr<CURRENT_ALTITUDE_CHAN3> currentAltitudeChan3;

  // The per-channel objects by channel (1 to 3); null when not built.
  template <RampRole R>
  RampParameter<R>* Ramp(int channel) const;
  AltSimDataParameter* AltSimData(int channel) const;
  AltSimNameParameter* AltSimName(int channel) const;
  ALT_SIM_MODIFIED* AltSimModified(int channel) const;
};

// Builds the simulation objects of construction group (2 to 5) into objects.
void ConstructSimulationGroup(int group, Core& mc, SimulationObjects& objects);

// The simulation objects of the master control (the simulation subsystem provides them).
SimulationObjects& Simulation(Core& mc);

// The simulation mode the master control shows (0 manual, 1 profile).
int SimulationModeValue(const SimulationObjects& objects);

}  // namespace radalt
