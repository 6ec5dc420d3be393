// radalt-platform-sim: the platform services a test set's engines call, as one process: the
// self-test engine's lock ("Lumaren/local/HHSELFTEST_LOCK/1") and the hardware enumeration
// ("Lumaren/local/HWENUM_ABLE"). Every request is logged.
#include <unistd.h>

#include <iostream>
#include <string>

#include "HwEnumerate.h"
#include "SelftestLock.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"
#include "platform/Signals.h"

int main(int argc, char** argv) {
  Velmarin::OrbOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--ns" && i + 1 < argc) {
      options.nameService = argv[++i];
    } else {
      std::cout << "usage: radalt-platform-sim [--ns HOST:PORT]\n"
                   "  Serves the self-test engine's lock (Lumaren/local/HHSELFTEST_LOCK/1) and the\n"
                   "  hardware enumeration (Lumaren/local/HWENUM_ABLE) and logs every request.\n";
      return a == "-h" || a == "--help" ? 0 : 2;
    }
  }
  Velmarin::HandleStopSignals([](int) { Velmarin::ShutdownOrb(false); });
  try {
    Velmarin::ConfigureOrb(options);
    CORBA::ORB_ptr orb = Velmarin::ProcessOrb();
    auto* lock = new radaltsim::SelftestLock_i;
    auto* hwenum = new radaltsim::HwEnumerate_i;
    {
      Velmarin::ORB_wrapper_base naming;
      CORBA::Object_var lockRef = lock->_this();
      naming.InstallAt({"Lumaren", "local", "HHSELFTEST_LOCK", "1"}, lockRef);
      CORBA::Object_var enumRef = hwenum->_this();
      naming.InstallAt({"Lumaren", "local", "HWENUM_ABLE"}, enumRef);
      naming.KeepBound(Velmarin::ORB_wrapper_base::DefaultRebindPeriod());
      std::cout << "platform services: registered (pid " << ::getpid() << ")" << std::endl;
      orb->run();
    }
    orb->destroy();
    return 0;
  } catch (const CORBA::Exception& e) {
    std::cerr << "radalt-platform-sim: CORBA error " << e._name() << std::endl;
  }
  return 1;
}
