// The library's entry points: the engine host builds, runs and deletes the master control.
#include <sys/prctl.h>

#include <exception>
#include <iostream>

#include "Exceptions.h"
#include "RADALT_MC.h"
#include "main.h"

namespace {
// The one master control createEngine built.
RADALT_MC* ramc = nullptr;
}  // namespace

extern "C" {

RADALT_EXPORT void* createEngine() {
  try {
    prctl(PR_SET_NAME, "RADALT_MC", 0, 0, 0);
    ramc = new RADALT_MC();
    return ramc;
  } catch (const Term_Exception&) {
    std::cerr << "MCnew: Got terminate signal" << std::endl;
  } catch (const Quit_Exception&) {
    std::cerr << "MCnew: Got quit signal" << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "MCnew: Caught exception " << e.what() << std::endl;
  } catch (const CORBA::Exception& e) {
    std::cerr << "MCnew: CORBA error:" << e._name() << " on repo " << e._rep_id() << std::endl;
  } catch (...) {
    std::cerr << "MCnew: An unknown exception was caught" << std::endl;
  }
  return ramc;
}

RADALT_EXPORT void joinEngine() {
  if (!ramc) {
    std::cerr << "MCStart: ramc NULL" << std::endl;
    return;
  }
  try {
    ramc->Start();
  } catch (const Term_Exception&) {
    std::cerr << "MCStart: Got terminate signal" << std::endl;
  } catch (const Quit_Exception&) {
    std::cerr << "MCStart: Got quit signal" << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "MCStart: Caught exception " << e.what() << std::endl;
  } catch (const CORBA::Exception& e) {
    std::cerr << "MCStart: CORBA error:" << e._name() << " on repo " << e._rep_id() << std::endl;
  } catch (...) {
    std::cerr << "MCStart: An unknown exception was caught" << std::endl;
  }
}

RADALT_EXPORT int destroyEngine(void* engine) {
  if (!engine) return 0;
  RADALT_MC* mc = static_cast<RADALT_MC*>(engine);
  // Forget the engine before it goes, so that a later joinEngine cannot reach freed memory.
  if (mc == ramc) ramc = nullptr;
  delete mc;
  return 0;
}

}  // extern "C"
