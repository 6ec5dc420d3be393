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

// Runs f; whatever it throws is written to standard error with prefix ("MCnew", "MCStart").
template <class F>
void Guarded(const char* prefix, F&& f) {
  try {
    f();
  } catch (const Term_Exception&) {
    std::cerr << prefix << ": Got terminate signal" << std::endl;
  } catch (const Quit_Exception&) {
    std::cerr << prefix << ": Got quit signal" << std::endl;
  } catch (const std::exception& e) {
    std::cerr << prefix << ": Caught exception " << e.what() << std::endl;
  } catch (const CORBA::Exception& e) {
    std::cerr << prefix << ": CORBA error:" << e._name() << " on repo " << e._rep_id() << std::endl;
  } catch (...) {
    std::cerr << prefix << ": An unknown exception was caught" << std::endl;
  }
}

extern "C" {

RADALT_EXPORT void* createEngine() {
  Guarded("MCnew", [] {
    prctl(PR_SET_NAME, "RADALT_MC", 0, 0, 0);
    ramc = new RADALT_MC();
  });
  return ramc;
}

RADALT_EXPORT void joinEngine() {
  if (!ramc) {
    std::cerr << "MCStart: ramc NULL" << std::endl;
    return;
  }
  Guarded("MCStart", [] { ramc->Start(); });
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
