#include "SelftestLocking.h"

#include <algorithm>

#include "CALIBRATION.h"
#include "RADALT_MC.h"

using radalt::LockGroup;

void RadAltLockingDueToSelftest::lockForSelftestStart() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT,
                      LockGroup::DIAGRXMEASURING, LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                      LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN, LockGroup::CALRUN})
    if (mc_->TakeGroup(g, "Selftest is active", "Locked because a selftest is running. Abort the selftest") &&
        std::find(taken_.begin(), taken_.end(), g) == taken_.end())
      taken_.push_back(g);
  if (CALIBRATION* cal = mc_->CalibrationObj()) cal->setCalibrationButtonsLocked(CALBUTTONS_SELFTEST);
}

void RadAltLockingDueToSelftest::unlockForSelftestStop() {
  std::lock_guard<std::mutex> lock(mutex_);
  auto release = [&](LockGroup g) {
    auto it = std::find(taken_.begin(), taken_.end(), g);
    if (it == taken_.end()) return;
    mc_->ReleaseGroup(g);
    taken_.erase(it);
  };
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::ALTZERORUN, LockGroup::CALRUN}) release(g);
  CALIBRATION* cal = mc_->CalibrationObj();
  if (cal && cal->CalibrationButtonsLocked() == CALBUTTONS_SELFTEST) cal->setCalibrationButtonsLocked(CALBUTTONS_FREE);
  for (LockGroup g : {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                      LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING})
    release(g);
}
