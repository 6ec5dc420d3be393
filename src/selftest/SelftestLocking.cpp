#include "SelftestLocking.h"

#include "CalibrationButtonCodes.h"
#include "Core.h"

using radalt::LockGroup;

namespace {
// The activity that holds the run-button groups during a self test.
const char* const kActivity = "selftest";
}  // namespace

void RadAltLockingDueToSelftest::lockForSelftestStart() {
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT,
                      LockGroup::DIAGRXMEASURING, LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                      LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN, LockGroup::CALRUN})
    mc_->Locks().Take(g, kActivity, "Selftest is active", "Locked because a selftest is running. Abort the selftest");
  mc_->SetCalibrationButtonsLocked(CALBUTTONS_SELFTEST);
}

void RadAltLockingDueToSelftest::unlockForSelftestStop() {
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::ALTZERORUN, LockGroup::CALRUN}) mc_->Locks().Release(g, kActivity);
  mc_->SetCalibrationButtonsLocked(CALBUTTONS_FREE);
  for (LockGroup g : {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                      LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING})
    mc_->Locks().Release(g, kActivity);
}
