// The library's entry points as an engine host calls them, through dlopen.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <thread>

#include "ScFixture.h"
#include "platform/Orb.h"

namespace {

struct Engine {
  Engine() {
    lib = dlopen(ENGINE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!lib) throw std::runtime_error(dlerror());
    create = reinterpret_cast<void* (*)()>(dlsym(lib, "createEngine"));
    join = reinterpret_cast<void (*)()>(dlsym(lib, "joinEngine"));
    destroy = reinterpret_cast<int (*)(void*)>(dlsym(lib, "destroyEngine"));
  }
  void* lib;
  void* (*create)();
  void (*join)();
  int (*destroy)(void*);
};

std::string JoinOutput(Engine& e) {
  testing::internal::CaptureStderr();
  e.join();
  return testing::internal::GetCapturedStderr();
}

}  // namespace

TEST(EntryPoints, LifecycleAsTheHostDrivesIt) {
  ::setenv("RADALT_INSTALL_ROOT", "/nonexistent", 1);
  Engine e;
  // Only the three entry points leave the library.
  EXPECT_EQ(nullptr, dlsym(e.lib, "_ZN9RADALT_MC5StartEv"));

  // Before any engine exists: joinEngine reports and returns; destroyEngine(null) is harmless.
  EXPECT_EQ("MCStart: ramc NULL\n", JoinOutput(e));
  EXPECT_EQ(0, e.destroy(nullptr));

  SimulatedChannels sims({1});
  void* engine = e.create();
  ASSERT_NE(nullptr, engine);

  // A second engine in the same naming context is refused; createEngine then hands back
  // the engine it already has.
  testing::internal::CaptureStderr();
  EXPECT_EQ(engine, e.create());
  EXPECT_NE(std::string::npos,
            testing::internal::GetCapturedStderr().find(
                "MCnew: CORBA error:Generic on repo IDL:Velmarin/Connection_errors/Generic:1.0"));

  // Destroying the engine forgets it: a later joinEngine must not touch freed memory.
  EXPECT_EQ(0, e.destroy(engine));
  EXPECT_EQ("MCStart: ramc NULL\n", JoinOutput(e));

  // A new engine runs the ORB on the joining thread until the host shuts the ORB down.
  engine = e.create();
  ASSERT_NE(nullptr, engine);
  testing::internal::CaptureStdout();
  std::thread runner([&] { e.join(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Velmarin::ShutdownOrb(true);
  runner.join();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(std::string::npos, out.find(">RADALT_MC::Start\n"));
  EXPECT_NE(std::string::npos, out.find("<RADALT_MC::Start\n"));
  EXPECT_EQ(0, e.destroy(engine));
}
