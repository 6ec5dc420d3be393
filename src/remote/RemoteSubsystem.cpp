#include "RemoteSubsystem.h"

#include <iostream>

#include "Core.h"
#include "RADALTMC_inhouse_i.h"
#include "RADALTMC_main_i.h"

namespace radalt {

namespace {

class RemoteSubsystem : public Subsystem {
 public:
  explicit RemoteSubsystem(Core& core) : core_(core) {}
  const char* Name() const override { return "remote"; }

  void InstallServants() override {
    Install(main_, "RADALT_MAIN", " RADALT_MC::RADALT_MC(constructor) - failed to new RadaltMain");
    Install(inhouse_, "RADALT_INHOUSE", " RADALT_MC::RADALT_MC(constructor) - failed to new RadaltInhouse");
  }

  void RemoveServants() override {
    main_.reset();
    inhouse_.reset();
  }

 private:
  // Builds the servant and installs it beside the engine's other registrations; a failure is
  // logged with its line and leaves the servant out.
  template <class Servant>
  void Install(std::unique_ptr<Servant>& slot, const char* child, const char* failure) {
    try {
      slot.reset(new Servant(&core_));
      CORBA::Object_var ref = slot->_this();
      core_.OrbWrapper().InstallChildObj(child, ref);
    } catch (...) {
      slot.reset();
      std::cout << failure << std::endl;
    }
  }

  Core& core_;
  std::unique_ptr<Velmarin_RADALTMC_RADALTMC_MAIN_INTERFACE_i> main_;
  std::unique_ptr<Velmarin_RADALTMC_INHOUSE_INTERFACE_i> inhouse_;
};

}  // namespace

std::unique_ptr<Subsystem> MakeRemoteSubsystem(Core& core) { return std::make_unique<RemoteSubsystem>(core); }

}  // namespace radalt
