// radalt-selftest-lock-sim: the platform self-test engine's lock, as a process of its own.
#include <unistd.h>

#include <iostream>
#include <string>

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
      std::cout << "usage: radalt-selftest-lock-sim [--ns HOST:PORT]\n"
                   "  Serves Lumaren/local/HHSELFTEST_LOCK/1 and logs every lock request.\n";
      return a == "-h" || a == "--help" ? 0 : 2;
    }
  }
  Velmarin::HandleStopSignals([](int) { Velmarin::ShutdownOrb(false); });
  try {
    Velmarin::ConfigureOrb(options);
    CORBA::ORB_ptr orb = Velmarin::ProcessOrb();
    auto* lock = new radaltsim::SelftestLock_i;
    {
      Velmarin::ORB_wrapper_base naming;
      CORBA::Object_var ref = lock->_this();
      naming.InstallAt({"Lumaren", "local", "HHSELFTEST_LOCK", "1"}, ref);
      std::cout << "selftest lock: registered as Lumaren/local/HHSELFTEST_LOCK/1 (pid " << ::getpid() << ")"
                << std::endl;
      orb->run();
    }
    orb->destroy();
    return 0;
  } catch (const CORBA::Exception& e) {
    std::cerr << "radalt-selftest-lock-sim: CORBA error " << e._name() << std::endl;
  }
  return 1;
}
