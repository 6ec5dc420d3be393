// radalt-enginehost: loads an engine library and drives it through its three entry points.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include "platform/Orb.h"
#include "platform/Signals.h"

namespace {

void Usage() {
  std::cout <<
      "usage: radalt-enginehost [options]\n"
      "  --engine PATH     engine library to load (default: libradalt.engine.so.1 beside this program)\n"
      "  --ns HOST:PORT    naming service (default: $RADALT_NS or 127.0.0.1:28090)\n"
      "  --root DIR        install root holding engines/lib and engines/ui_xml (default: .)\n"
      "  --domain N        DDS domain id (default: $RADALT_DDS_DOMAIN or 0)\n"
      "  --instance N      accepted for compatibility; the instance is the first free one\n"
      "  --call-timeout-ms MS  upper bound of every call the engine makes to another process\n"
      "                    (default: $RADALT_CALL_TIMEOUT_MS or 2000)\n"
      "  --stop-grace-ms MS    time an orderly stop may take before the host leaves regardless\n"
      "                    (default 3000)\n"
      "Stops on SIGINT or SIGTERM: the ORB is shut down, then the engine is destroyed; in every\n"
      "state (waiting for channel engines, building, running) the host ends within the grace.\n";
}

// A positive number of milliseconds, or exit 2 with a line saying what was wrong.
unsigned long Millis(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v == 0 || v > 3600000) {
    std::cerr << "radalt-enginehost: " << option << " takes milliseconds from 1 to 3600000, not '" << text
              << "'" << std::endl;
    std::exit(2);
  }
  return v;
}

// Ends the process once grace has passed, whatever it is still waiting for: an orderly stop
// can be held up by a peer that no longer answers or by a construction still under way.
void LeaveAfter(std::chrono::milliseconds grace) {
  std::thread([grace] {
    std::this_thread::sleep_for(grace);
    std::cout << "radalt-enginehost: not stopped after " << grace.count() << " ms; leaving now" << std::endl;
    std::_Exit(1);
  }).detach();
}

std::string SelfDir() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/'));
}

}  // namespace

int main(int argc, char** argv) {
  std::string engine;
  Velmarin::OrbOptions options;
  options.callTimeoutMs = 2000;
  if (const char* t = std::getenv("RADALT_CALL_TIMEOUT_MS")) options.callTimeoutMs = Millis("RADALT_CALL_TIMEOUT_MS", t);
  std::chrono::milliseconds grace(3000);
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::cerr << "radalt-enginehost: " << a << " needs a value" << std::endl;
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--engine") engine = next();
    else if (a == "--ns") options.nameService = next();
    else if (a == "--root") ::setenv("RADALT_INSTALL_ROOT", next().c_str(), 1);
    else if (a == "--domain") ::setenv("RADALT_DDS_DOMAIN", next().c_str(), 1);
    else if (a == "--instance") next();
    else if (a == "--call-timeout-ms") options.callTimeoutMs = Millis(a, next());
    else if (a == "--stop-grace-ms") grace = std::chrono::milliseconds(Millis(a, next()));
    else if (a == "-h" || a == "--help") { Usage(); return 0; }
    else {
      std::cerr << "radalt-enginehost: unknown option " << a << std::endl;
      Usage();
      return 2;
    }
  }
  if (engine.empty()) engine = SelfDir() + "/../src/libradalt.engine.so.1";

  Velmarin::HandleStopSignals([grace](int sig) {
    LeaveAfter(grace);
    std::cout << "radalt-enginehost: signal " << sig << ", shutting the ORB down" << std::endl;
    Velmarin::ShutdownOrb(false);
  });
  Velmarin::ConfigureOrb(options);
  Velmarin::ProcessOrb();

  void* lib = ::dlopen(engine.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    std::cerr << "radalt-enginehost: " << ::dlerror() << std::endl;
    return 1;
  }
  using Create = void* (*)();
  using Join = void (*)();
  using Destroy = int (*)(void*);
  auto create = reinterpret_cast<Create>(::dlsym(lib, "createEngine"));
  auto join = reinterpret_cast<Join>(::dlsym(lib, "joinEngine"));
  auto destroy = reinterpret_cast<Destroy>(::dlsym(lib, "destroyEngine"));
  if (!create || !join || !destroy) {
    std::cerr << "radalt-enginehost: " << engine << " lacks the engine entry points" << std::endl;
    return 1;
  }

  // The engine is built on a thread of its own; the constructor may wait for channel engines.
  // A stop signal meanwhile shuts the ORB down, which ends the waits (or the grace ends the
  // process).
  void* handle = nullptr;
  std::thread builder([&] { handle = create(); });
  builder.join();
  if (!handle) {
    std::cerr << "radalt-enginehost: the engine could not be created" << std::endl;
    Velmarin::ShutdownOrb(true);
    return 1;
  }
  std::cout << "radalt-enginehost: engine running (pid " << ::getpid() << ")" << std::endl;
  join();
  destroy(handle);
  std::cout << "radalt-enginehost: engine destroyed" << std::endl;
  return 0;
}
