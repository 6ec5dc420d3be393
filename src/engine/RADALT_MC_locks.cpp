// The master control's lock groups: taking and releasing them for the master control.
#include "RADALT_MC.h"

#include <iostream>

#include "RfLevelCommon.h"
#include "UTILS.h"

using radalt::LockGroup;

// ---- lock groups ---------------------------------------------------------------------------

bool RADALT_MC::TakeGroup(LockGroup g, const std::string& reason, const std::string& message) {
  // The key is stored under the same lock as the take, so a release never sees a stale key.
  std::lock_guard<std::mutex> lock(lockKeysMutex_);
  CORBA::ULong key = 0;
  if (!Group(g).TryLock(radaltMcLocker->Authority(reason, message), key)) return false;
  lockKeys_[static_cast<std::size_t>(g)] = key;
  return true;
}

bool RADALT_MC::ReleaseGroup(LockGroup g) {
  std::lock_guard<std::mutex> lock(lockKeysMutex_);
  return Group(g).TryUnlock(radaltMcLocker->Id(), lockKeys_[static_cast<std::size_t>(g)]);
}

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

void RADALT_MC::InitialLocks() {
  TakeGroup(LockGroup::CURRENTALT, "Simulation not running",
            "Locked because a simulation is not running. This value can only be set while a simulation is active");
  TakeGroup(LockGroup::RFLEVEL, "Auto rf level mode",
            "Locked because auto rf level mode selected. Select manual rf level mode to set rf level manually");
  TakeGroup(LockGroup::LOOPLOSS, "Auto rf level mode",
            "Locked because auto rf level mode selected. Select manual rf level mode to set loop loss manually");
  TakeGroup(LockGroup::UUT_TYPE, "Auto uut detect mode", kAutoUutMessage);
  TakeGroup(LockGroup::UUT_CDF_SUB_TYPE, "Auto uut detect mode", kAutoUutMessage);
  rfLevelModeLock();
  aidItemsLock();
  powerDisplayModeLock();
}

void RADALT_MC::lockAllRunButtons() {
  for (LockGroup g : kRunButtons) TakeGroup(g, "Invalid Configuration", kInvalidConfigMessage);
}

void RADALT_MC::unlockAllRunButtons() {
  for (LockGroup g : kRunButtons) ReleaseGroup(g);
}

// The initial locks assume automatic mode; an engine that starts in manual mode frees them.
void RADALT_MC::rfLevelModeLock() { radalt::ApplyRfLevelLocks(*this, radalt::RfLevelModeNow(*this)); }

void RADALT_MC::aidItemsLock() { TakeGroup(LockGroup::AIDITEMS, "Currently always locked on Tarvik", ""); }

void RADALT_MC::powerDisplayModeLock() {
  TakeGroup(LockGroup::POWERDISPLAYMODE, "Currently always locked on Tarvik", "");
}

void RADALT_MC::setupPauseResumeButtonListener() {}

void RADALT_MC::radaltIsValidConfigPublished(const char* topic, bool valid) {
  try {
    if (valid) {
      unlockAllRunButtons();
      if (lockingSelftestEngine_) lockingSelftestEngine_->unlockSelftestEngine();
    } else {
      lockAllRunButtons();
      if (lockingSelftestEngine_) lockingSelftestEngine_->lockSelftestEngine(kInvalidConfigMessage);
    }
  } catch (const CORBA::Exception& e) {
    // Runs on a DDS thread: nothing may escape.
    std::cerr << "RADALT_MC::radaltIsValidConfigPublished: self-test engine: " << e._name() << std::endl;
  }
}
