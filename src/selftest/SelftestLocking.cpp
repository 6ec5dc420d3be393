#include "SelftestLocking.h"

#include "CALIBRATION.h"
#include "RADALT_MC.h"

using radalt::LockGroup;

void RadAltLockingDueToSelftest::lockForSelftestStart() {
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT,
                      LockGroup::DIAGRXMEASURING, LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                      LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN, LockGroup::CALRUN})
    mc_->TakeGroup(g, "Selftest is active", "Locked because a selftest is running. Abort the selftest");
  if (CALIBRATION* cal = mc_->CalibrationObj()) cal->setCalibrationButtonsLocked(13);
}

void RadAltLockingDueToSelftest::unlockForSelftestStop() {
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::ALTZERORUN, LockGroup::CALRUN}) mc_->ReleaseGroup(g);
  if (CALIBRATION* cal = mc_->CalibrationObj()) cal->setCalibrationButtonsLocked(0);
  for (LockGroup g : {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                      LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING})
    mc_->ReleaseGroup(g);
}
