// While the self-test engine runs a self test, the master control's nine run-button groups
// are locked.
#pragma once

#include <mutex>
#include <vector>

#include "LockGroups.h"

class RADALT_MC;

class RadAltLockingDueToSelftest {
 public:
  explicit RadAltLockingDueToSelftest(RADALT_MC* mc) : mc_(mc) {}
  virtual ~RadAltLockingDueToSelftest() = default;

  // Takes every free run-button group with the self-test texts; sets CALBUTTONSLOCKED to 13.
  virtual void lockForSelftestStart();
  // Releases only the groups lockForSelftestStart took: a run's, a calibration's or an
  // invalid configuration's hold stays. CALBUTTONSLOCKED goes to 0 after "CALRUN", and only
  // while it still shows the self test.
  virtual void unlockForSelftestStop();

 private:
  RADALT_MC* mc_;
  std::mutex mutex_;
  std::vector<radalt::LockGroup> taken_;
};
