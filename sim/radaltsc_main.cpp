// radaltsc-sim: one simulated single-channel engine process.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "ScEngine.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"
#include "platform/Signals.h"

namespace {

void Usage() {
  std::cout << "usage: radaltsc-sim --channel N [--ns HOST:PORT] [--ready-delay-ms MS]\n"
               "  Serves the main and in-house interfaces of channel N (1..3) under\n"
               "  Lumaren/local/RADALTSC/N and Lumaren/local/RADALTSC_INHOUSE/N until\n"
               "  SIGINT or SIGTERM.\n";
}

}  // namespace

int main(int argc, char** argv) {
  int channel = 0;
  long readyDelayMs = 0;
  Velmarin::OrbOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << "radaltsc-sim: " << a << " needs a value" << std::endl;
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--channel") {
      channel = std::atoi(next().c_str());
    } else if (a == "--ns") {
      options.nameService = next();
    } else if (a == "--ready-delay-ms") {
      readyDelayMs = std::atol(next().c_str());
    } else if (a == "-h" || a == "--help") {
      Usage();
      return 0;
    } else {
      std::cerr << "radaltsc-sim: unknown option " << a << std::endl;
      Usage();
      return 2;
    }
  }
  if (channel < 1 || channel > 3) {
    std::cerr << "radaltsc-sim: --channel must be 1, 2 or 3" << std::endl;
    return 2;
  }

  Velmarin::HandleStopSignals([](int) { Velmarin::ShutdownOrb(false); });
  try {
    Velmarin::ConfigureOrb(options);
    CORBA::ORB_ptr orb = Velmarin::ProcessOrb();
    const std::string name = std::to_string(channel);
    auto* engine = new radaltsim::ScEngine_i(channel, "Lumaren/local/RADALTSC/" + name);
    {
      Velmarin::ORB_wrapper_base naming;
      CORBA::Object_var ref = engine->_this();
      naming.InstallAt({"Lumaren", "local", "RADALTSC", name}, ref);
      naming.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", name}, ref);
      std::cout << "radaltsc " << channel << ": registered as Lumaren/local/RADALTSC/" << name
                << " (pid " << ::getpid() << ")" << std::endl;
      std::thread([engine, readyDelayMs] {
        if (readyDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(readyDelayMs));
        engine->SetReady(true);
      }).detach();
      orb->run();
      // leaving the scope unbinds both names
    }
    std::cout << "radaltsc " << channel << ": stopped" << std::endl;
    orb->destroy();
    return 0;
  } catch (const CORBA::Exception& e) {
    std::cerr << "radaltsc-sim: CORBA error " << e._name() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << "radaltsc-sim: " << e.what() << std::endl;
  }
  return 1;
}
