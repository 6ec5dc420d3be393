// The registration table: one line per subsystem folder. Each construction group, reset
// step and recall step runs over the subsystems in this order. This is the only file of the
// engine that knows the subsystems' headers.
#include "Subsystems.h"

#include "CALIBRATION.h"
#include "COUPLED_ALTITUDE_SIMULATION.h"
#include "CalibrationSubsystem.h"
#include "DiagnosticsSubsystem.h"
#include "ChannelsSubsystem.h"
#include "JournalSubsystem.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "RF_CONNECTION.h"
#include "RfLevelSubsystem.h"
#include "SaveRecallSubsystem.h"
#include "SLAVE_MODE.h"
#include "RemoteSubsystem.h"
#include "SelftestLocking.h"
#include "SelftestSubsystem.h"
#include "SimulationObjects.h"
#include "SimulationSubsystem.h"
#include "UTILS.h"
#include "UutSubsystem.h"

namespace radalt {

const std::vector<SubsystemFactory>& RegisteredSubsystems() {
  static const std::vector<SubsystemFactory> table = {
      &MakeChannelsSubsystem,
      &MakeCalibrationSubsystem,
      &MakeRemoteSubsystem,
      &MakeSelftestSubsystem,
      &MakeSimulationSubsystem,
      &MakeRfLevelSubsystem,
      &MakeUutSubsystem,
      &MakeDiagnosticsSubsystem,
      &MakeSaveRecallSubsystem,
      &MakeJournalSubsystem,
  };
  return table;
}

}  // namespace radalt

// ---- the subsystems' objects as the master control's accessors name them

NO_OF_AVAILABLE_CHANNELS* RADALT_MC::NoOfAvailableChannelsObj() { return Find<NO_OF_AVAILABLE_CHANNELS>(); }
NO_OF_ENABLED_CHANNELS* RADALT_MC::NoOfEnabledChannelsObj() { return Find<NO_OF_ENABLED_CHANNELS>(); }
SLAVE_MODE* RADALT_MC::SlaveModeObj() { return Find<SLAVE_MODE>(); }
COUPLED_ALTITUDE_SIMULATION* RADALT_MC::CoupledAltSimObj() { return Find<COUPLED_ALTITUDE_SIMULATION>(); }
RF_CONNECTION* RADALT_MC::RfConnectionObj() { return Find<RF_CONNECTION>(); }
CALIBRATION* RADALT_MC::CalibrationObj() { return Find<CALIBRATION>(); }
radalt::SimulationObjects& RADALT_MC::Simulation() { return radalt::Simulation(*this); }
lockingSelftestEngine* RADALT_MC::SelftestEngineLock() { return Find<lockingSelftestEngine>(); }
RadAltLockingDueToSelftest* RADALT_MC::SelftestLocking() { return Find<RadAltLockingDueToSelftest>(); }
