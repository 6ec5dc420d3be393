// radalt-platform-sim: the platform services a test set's engines call, as one process: the
// self-test engine's lock ("Lumaren/local/HHSELFTEST_LOCK/1") and the hardware enumeration
// ("Lumaren/local/HWENUM_ABLE") and the self-test harness ("Lumaren/local/SELFTEST_HARNESS/1"),
// and the save/recall engine ("Lumaren/local/EVERYBODYENG/1"), whose snapshots are kept in
// engines/lib under the install root. Every request is logged.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "EverybodyEng.h"
#include "HwEnumerate.h"
#include "SelftestHarness.h"
#include "SelftestLock.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"
#include "platform/Signals.h"

int main(int argc, char** argv) {
  Velmarin::OrbOptions options;
  const char* envRoot = std::getenv("RADALT_INSTALL_ROOT");
  std::string root = envRoot && *envRoot ? envRoot : ".";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--ns" && i + 1 < argc) {
      options.nameService = argv[++i];
    } else if (a == "--root" && i + 1 < argc) {
      root = argv[++i];
    } else {
      std::cout << "usage: radalt-platform-sim [--ns HOST:PORT] [--root DIR]\n"
                   "  Serves the self-test engine's lock (Lumaren/local/HHSELFTEST_LOCK/1), the\n"
                   "  hardware enumeration (Lumaren/local/HWENUM_ABLE) and the save/recall engine\n"
                   "  (Lumaren/local/EVERYBODYENG/1, snapshots in DIR/engines/lib) and logs every request.\n";
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
      // the self-test harness stand-in, asked by radaltctl to run a module's self test
      auto* harness = new radaltsim::SelfTestRunner_i;
      CORBA::Object_var harnessRef = harness->_this();
      naming.InstallAt({"Lumaren", "local", "SELFTEST_HARNESS", "1"}, harnessRef);
      auto* everybody = new radaltsim::EverybodyEng_i(root + "/engines/lib");
      CORBA::Object_var everybodyRef = everybody->_this();
      naming.InstallAt({"Lumaren", "local", "EVERYBODYENG", "1"}, everybodyRef);
      naming.KeepBound(Velmarin::ORB_wrapper_base::DefaultRebindPeriod());
      std::cout << "platform services: registered (pid " << ::getpid() << ")" << std::endl;
      orb->run();
    }
    orb->destroy();
    return 0;
  } catch (const CORBA::Exception& e) {
    std::cerr << "radalt-platform-sim: CORBA error " << e._name() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "radalt-platform-sim: " << e.what() << std::endl;
  }
  return 1;
}
