#include "SelftestSubsystem.h"

#include <iostream>

#include "Core.h"
#include "ExpectedAttributes.h"
#include "RADALTMC_selftest_i.h"
#include "SelftestLocking.h"
#include "Test_AbleImpl.h"
#include "UTILS.h"
#include "platform/Orb.h"

namespace radalt {

namespace {

class SelftestSubsystem : public Subsystem {
 public:
  explicit SelftestSubsystem(Core& core) : core_(core) {}
  const char* Name() const override { return "selftest"; }

  void Construct(int group) override {
    if (group == 0) {
      testAble_.reset(new Velmarin::Velmarin_Test_Able_i(&core_.Gui(), [this] {
        return ExpectedAttributeList([this](int ch) { return core_.HasChannelEngine(ch); });
      }));
      testAble_->OnEvent([this](const std::string& text) { core_.NoteEvent("selftest", text); });
      engineLock_.reset(new lockingSelftestEngine(&core_.OrbWrapper(), &core_));
      core_.Provide<SelftestEngineLock>(*engineLock_);
      core_.Provide(*engineLock_);
    } else if (group == 5) {
      lockout_.reset(new RadAltLockingDueToSelftest(&core_));
      core_.Provide(*lockout_);
    }
  }

  void InstallServants() override {
    if (lockout_) {
      try {
        interface_.reset(new Velmarin_RADALTMC_SELFTEST_INTERFACE_i(&core_, *lockout_));
        CORBA::Object_var ref = interface_->_this();
        core_.OrbWrapper().InstallChildObj("RADALT_SELFTEST", ref);
      } catch (...) {
        interface_.reset();
        std::cout << " RADALT_MC::RADALT_MC(constructor) - failed to new RadaltSelftest" << std::endl;
      }
    }
    try {
      CORBA::Object_var ref = testAble_->_this();
      core_.OrbWrapper().InstallChildObj("TEST_ABLE", ref);
    } catch (const CORBA::Exception& e) {
      std::cerr << " RADALT_MC: test servant not installed (" << e._name() << ")" << std::endl;
    }
  }

  void RemoveServants() override {
    interface_.reset();
    if (testAble_) {
      Velmarin::DeactivateServant(testAble_.get());
      testAble_->StopSelfTests();
    }
  }

 private:
  Core& core_;
  std::unique_ptr<Velmarin::Velmarin_Test_Able_i> testAble_;
  std::unique_ptr<Velmarin_RADALTMC_SELFTEST_INTERFACE_i> interface_;
  std::unique_ptr<lockingSelftestEngine> engineLock_;
  std::unique_ptr<RadAltLockingDueToSelftest> lockout_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeSelftestSubsystem(Core& core) { return std::make_unique<SelftestSubsystem>(core); }

}  // namespace radalt
