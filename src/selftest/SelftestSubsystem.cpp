#include "SelftestSubsystem.h"

#include "Core.h"
#include "SelftestLocking.h"
#include "UTILS.h"

namespace radalt {

namespace {

class SelftestSubsystem : public Subsystem {
 public:
  explicit SelftestSubsystem(Core& core) : core_(core) {}
  const char* Name() const override { return "selftest"; }

  void Construct(int group) override {
    if (group == 0) {
      engineLock_.reset(new lockingSelftestEngine(&core_.OrbWrapper(), &core_));
      core_.Provide<SelftestEngineLock>(*engineLock_);
      core_.Provide(*engineLock_);
    } else if (group == 5) {
      lockout_.reset(new RadAltLockingDueToSelftest(&core_));
      core_.Provide(*lockout_);
    }
  }

 private:
  Core& core_;
  std::unique_ptr<lockingSelftestEngine> engineLock_;
  std::unique_ptr<RadAltLockingDueToSelftest> lockout_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeSelftestSubsystem(Core& core) { return std::make_unique<SelftestSubsystem>(core); }

}  // namespace radalt
