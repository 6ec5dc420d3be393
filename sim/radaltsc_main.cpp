// radaltsc-sim: one simulated single-channel engine process.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ScEngine.h"
#include "platform/ORB_wrapper.h"
#include "platform/Orb.h"
#include "platform/Signals.h"
#include "platform/DDS_Publisher.h"
#include "platform/DDS_AttributePublisher.h"

namespace {

void Usage() {
  std::cout << "usage: radaltsc-sim --channel N [--ns HOST:PORT] [--root DIR] [--ready-delay-ms MS] [--invalid-config]\n"
               "  Serves the main and in-house interfaces of channel N (1..3) under\n"
               "  Lumaren/local/RADALTSC/N and Lumaren/local/RADALTSC_INHOUSE/N, and the\n"
               "  simulator's own controls (SIMUUTTYPE, ...) under Lumaren/local/RADALTSC_SIM/N,\n"
               "  until SIGINT or SIGTERM. Item values are published on their topics as they change.\n"
               "  --root DIR        install root: the catalogue of named settings and profiles\n"
               "                    is kept in DIR/engines/radaltsc (default: $RADALT_INSTALL_ROOT;\n"
               "                    with neither, in memory until the engine stops)\n"
               "  --invalid-config  start with the configuration reported invalid (VALIDCONFIG false)\n"
               "  SIGUSR1           flips the reported configuration validity\n"
               "                    (kill -USR1 <pid>; also the SetConfigurationValid operation)\n";
}

// Flips the engine's configuration validity on each SIGUSR1 until Stop. SIGUSR1 must be
// blocked in every thread, so Block() comes before any thread is started.
class ConfigToggle {
 public:
  static void Block() {
    sigset_t set = Set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
  }
  explicit ConfigToggle(radaltsim::ScEngine_i& engine)
      : thread_([this, &engine] {
          const sigset_t set = Set();
          int sig = 0;
          while (sigwait(&set, &sig) == 0 && !stop_) engine.ToggleConfigurationValid();
        }) {}
  ~ConfigToggle() {
    stop_ = true;
    pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
  }

 private:
  static sigset_t Set() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGUSR1);
    return set;
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

// Sends one announcement; a failure is reported, never fatal.
void Announce(Velmarin::DDS_Publisher<CORBA::String_var>& publisher, const std::string& text) {
  try {
    publisher.sendData(CORBA::String_var(text.c_str()));
    // A goodbye is followed by the end of the process: let the listeners acknowledge first.
    publisher.Writer()->wait_for_acknowledgments(eprosima::fastrtps::Duration_t(2, 0));
    std::cout << "radaltsc: announced " << text << std::endl;
  } catch (const CORBA::UserException& e) {
    std::cerr << "radaltsc: announcement " << text << " not sent: " << e._name() << std::endl;
  }
}

int main(int argc, char** argv) {
  int channel = 0;
  long readyDelayMs = 0;
  Velmarin::OrbOptions options;
  radaltsim::ScEngineOptions engineOptions;
  std::string root;
  if (const char* env = std::getenv("RADALT_INSTALL_ROOT")) root = env;
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
    } else if (a == "--root") {
      root = next();
    } else if (a == "--ready-delay-ms") {
      readyDelayMs = std::atol(next().c_str());
    } else if (a == "--invalid-config") {
      engineOptions.configurationValid = false;
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

  if (!root.empty()) engineOptions.catalogueFolder = root + "/engines/radaltsc";

  ConfigToggle::Block();
  Velmarin::HandleStopSignals([](int) { Velmarin::ShutdownOrb(false); });
  try {
    Velmarin::ConfigureOrb(options);
    CORBA::ORB_ptr orb = Velmarin::ProcessOrb();
    engineOptions.publisher = Velmarin::MakeDdsAttributePublisher();
    const std::string name = std::to_string(channel);
    // The POA holds the engine while it is active; the engine goes before the ORB.
    auto engine = std::make_unique<radaltsim::ScEngine_i>(channel, "Lumaren/local/RADALTSC/" + name, engineOptions);
    {
      ConfigToggle toggle(*engine);
      Velmarin::ORB_wrapper_base naming;
      CORBA::Object_var ref = engine->_this();
      naming.InstallAt({"Lumaren", "local", "RADALTSC", name}, ref);
      naming.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", name}, ref);
      // The simulator's own controls, apart from what the engine offers a master control.
      CORBA::Object_var controls = engine->Controls()._this();
      naming.InstallAt({"Lumaren", "local", "RADALTSC_SIM", name}, controls);
      // A naming service restarted without its log gets both names again.
      naming.KeepBound(Velmarin::ORB_wrapper_base::DefaultRebindPeriod());
      std::cout << "radaltsc " << channel << ": registered as Lumaren/local/RADALTSC/" << name
                << " (pid " << ::getpid() << ")" << std::endl;
      // The master control follows engines that come and go through these announcements.
      // The announcements wait (bounded) until a master control listens, so that they are not
      // sent to nobody while discovery is still under way; "create," on a thread of its own,
      // and never after "destroy," went out.
      Velmarin::DDS_Publisher<CORBA::String_var> announcements("Lumaren/local/RADALTSC");
      std::mutex announceMutex;
      bool leaving = false, announced = false;
      // "create," is repeated every second until a master control has registered this
      // engine (it calls RegisterGui), for at most 30 s: a sample can be missed while
      // discovery is still settling.
      radaltsim::ScEngine_i* self = engine.get();
      std::thread announcer([&, self] {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        auto next = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < end) {
          const bool heard = announcements.WaitForSubscribers(1, boost::posix_time::milliseconds(100));
          {
            std::lock_guard<std::mutex> lock(announceMutex);
            if (leaving || self->RegisteredWithMaster()) return;
            if (heard && std::chrono::steady_clock::now() >= next) {
              Announce(announcements, "create," + name);
              announced = true;
              next = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            }
          }
          if (heard) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
      });
      const int goodbye = Velmarin::AddShutdownHook([&] {
        bool wait;
        {
          std::lock_guard<std::mutex> lock(announceMutex);
          leaving = true;
          wait = !announced;
        }
        // Not matched yet: give discovery a moment, so the master control hears the goodbye.
        if (wait) announcements.WaitForSubscribers(1, boost::posix_time::seconds(3));
        Announce(announcements, "destroy," + name);
      });
      radaltsim::ScEngine_i* served = engine.get();
      std::thread ready([served, readyDelayMs] {
        if (readyDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(readyDelayMs));
        served->SetReady(true);
      });
      orb->run();
      ready.join();
      announcer.join();
      Velmarin::RemoveShutdownHook(goodbye);
      // leaving the scope unbinds both names and stops the toggle
    }
    engine.reset();
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
