// radalt-bench-floor: serves the trivial operation the bench calls to measure the floor of a
// remote call, with the same ORB set-up as every process of the test set.
//   radalt-bench-floor --ior FILE     writes its reference to FILE, serves until SIGTERM
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "BenchFloor.hh"
#include "platform/Orb.h"
#include "platform/Signals.h"

namespace {

class Floor_i : public virtual POA_RadaltBench::Floor {
 public:
  void Ping() override {}
};

}  // namespace

int main(int argc, char** argv) {
  std::string iorFile;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--ior") iorFile = argv[++i];
  if (iorFile.empty()) {
    std::cerr << "usage: radalt-bench-floor --ior FILE" << std::endl;
    return 2;
  }
  Velmarin::HandleStopSignals([](int) { Velmarin::ShutdownOrb(false); });
  try {
    CORBA::ORB_ptr orb = Velmarin::ProcessOrb();
    auto* servant = new Floor_i;
    PortableServer::ObjectId_var id = Velmarin::ProcessPoa()->activate_object(servant);
    servant->_remove_ref();
    CORBA::Object_var ref = Velmarin::ProcessPoa()->id_to_reference(id);
    CORBA::String_var ior = orb->object_to_string(ref);
    // Written aside and renamed, so that a reader never sees half a reference.
    const std::string partial = iorFile + ".partial";
    std::ofstream(partial) << ior.in() << "\n";
    std::rename(partial.c_str(), iorFile.c_str());
    orb->run();
    orb->destroy();
    return 0;
  } catch (const CORBA::Exception& e) {
    std::cerr << "radalt-bench-floor: CORBA error " << e._name() << std::endl;
    return 1;
  }
}
