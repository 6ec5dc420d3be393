// Construction step 13's remote servants of the master control, and their removal.
#include <iostream>

#include "RADALT_MC.h"
#include "RADALTMC_inhouse_i.h"
#include "RADALTMC_main_i.h"
#include "RADALTMC_selftest_i.h"
#include "Test_AbleImpl.h"
#include "platform/Orb.h"

namespace {

// Builds a servant and installs it as child of the engine's registration; a failure is
// logged with failure and leaves the servant out.
template <class Servant>
void Install(std::unique_ptr<Servant>& slot, RADALT_MC* mc, Velmarin::ORB_wrapper& orbw, const char* child,
             const char* failure) {
  try {
    slot.reset(new Servant(mc));
    CORBA::Object_var ref = slot->_this();
    orbw.InstallChildObj(child, ref);
  } catch (...) {
    slot.reset();
    std::cout << failure << std::endl;
  }
}

}  // namespace

void RADALT_MC::InstallRemoteServants() {
  Install(mainInterface_, this, *orbw_, "RADALT_MAIN", " RADALT_MC::RADALT_MC(constructor) - failed to new RadaltMain");
  Install(inhouseInterface_, this, *orbw_, "RADALT_INHOUSE",
          " RADALT_MC::RADALT_MC(constructor) - failed to new RadaltInhouse");
  Install(selftestInterface_, this, *orbw_, "RADALT_SELFTEST",
          " RADALT_MC::RADALT_MC(constructor) - failed to new RadaltSelftest");
}

void RADALT_MC::RemoveRemoteServants() {
  // No remote request may reach what the rest of the destructor takes apart.
  mainInterface_.reset();
  inhouseInterface_.reset();
  selftestInterface_.reset();
  if (testAble_) {
    Velmarin::DeactivateServant(testAble_.get());
    testAble_->StopSelfTests();
  }
}
