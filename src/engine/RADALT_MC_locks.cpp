// The master control's own lock-group holds: the initial locks and an invalid configuration.
#include "RADALT_MC.h"

#include <iostream>


using radalt::LockGroup;

namespace {

// The activities of the master control itself.
const char* const kMasterControl = "master control";
const char* const kInvalidConfiguration = "invalid configuration";
const char* const kAutoRfLevelMode = "auto rf level mode";
const char* const kAutoUutDetectMode = "auto uut detect mode";
const char* const kAlwaysLocked = "always locked";

}  // namespace

bool RADALT_MC::TakeGroup(LockGroup g, const std::string& reason, const std::string& message) {
  return locks_->Take(g, kMasterControl, reason, message);
}

bool RADALT_MC::ReleaseGroup(LockGroup g) { return locks_->Release(g, kMasterControl); }

namespace {

const LockGroup kRunButtons[] = {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                                 LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                 LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN, LockGroup::CALRUN,
                                 LockGroup::SIMRUN};

const char* const kInvalidConfigMessage =
    "Unit has an invalid configuration!  Please contact Velmarin for assistance.";

const char* const kAutoUutMessage =
    "Locked because auto uut detect mode is selected - the test set is automatically detecting the type of "
    "the Altimeter. To manually select the Altimeter type, change the uut detect mode from Auto to Manual";

}  // namespace

// The current altitudes' lock ("Simulation not running") is the simulation's, taken when it is
// built; the rf level and uut locks stay here until their subsystems take them over.
void RADALT_MC::InitialLocks() {
  locks_->Take(LockGroup::RFLEVEL, kAutoRfLevelMode, "Auto rf level mode",
               "Locked because auto rf level mode selected. Select manual rf level mode to set rf level manually");
  locks_->Take(LockGroup::LOOPLOSS, kAutoRfLevelMode, "Auto rf level mode",
               "Locked because auto rf level mode selected. Select manual rf level mode to set loop loss manually");
  locks_->Take(LockGroup::UUT_TYPE, kAutoUutDetectMode, "Auto uut detect mode", kAutoUutMessage);
  locks_->Take(LockGroup::UUT_CDF_SUB_TYPE, kAutoUutDetectMode, "Auto uut detect mode", kAutoUutMessage);
  rfLevelModeLock();
  aidItemsLock();
  powerDisplayModeLock();
}

void RADALT_MC::lockAllRunButtons() {
  for (LockGroup g : kRunButtons) locks_->Take(g, kInvalidConfiguration, "Invalid Configuration", kInvalidConfigMessage);
}

void RADALT_MC::unlockAllRunButtons() {
  for (LockGroup g : kRunButtons) locks_->Release(g, kInvalidConfiguration);
}

void RADALT_MC::rfLevelModeLock() {}

void RADALT_MC::aidItemsLock() { locks_->Take(LockGroup::AIDITEMS, kAlwaysLocked, "Currently always locked on Tarvik", ""); }

void RADALT_MC::powerDisplayModeLock() {
  locks_->Take(LockGroup::POWERDISPLAYMODE, kAlwaysLocked, "Currently always locked on Tarvik", "");
}

void RADALT_MC::setupPauseResumeButtonListener() {}

void RADALT_MC::radaltIsValidConfigPublished(const char* topic, bool valid) {
  try {
    if (valid) {
      unlockAllRunButtons();
      UnlockSelftestEngine(kInvalidConfiguration);
    } else {
      lockAllRunButtons();
      LockSelftestEngine(kInvalidConfiguration, kInvalidConfigMessage);
    }
  } catch (const CORBA::Exception& e) {
    // Runs on a DDS thread: nothing may escape.
    std::cerr << "RADALT_MC::radaltIsValidConfigPublished: self-test engine: " << e._name() << std::endl;
  }
}
