// While the self-test engine runs a self test, the master control's nine run-button groups
// are locked.
#pragma once

namespace radalt {
class Core;
}  // namespace radalt

class RadAltLockingDueToSelftest {
 public:
  explicit RadAltLockingDueToSelftest(radalt::Core* mc) : mc_(mc) {}
  virtual ~RadAltLockingDueToSelftest() = default;

  // Takes every free run-button group with the self-test texts; sets CALBUTTONSLOCKED to 13.
  virtual void lockForSelftestStart();
  // Releases what the master control holds; CALBUTTONSLOCKED goes to 0 after "CALRUN".
  virtual void unlockForSelftestStop();

 private:
  radalt::Core* mc_;
};
