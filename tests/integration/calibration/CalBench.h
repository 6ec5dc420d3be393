// The master control against simulated channel engines that calibrate (short calibration
// times), a self-test engine lock, and a client that drives the calibration attributes by key.
#pragma once

#include "../engine/TestConfig.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../engine/Catch.h"
#include "CALIBRATION.h"
#include "EngineConfig.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "ScEngine.h"
#include "SelftestLock.h"
#include "platform/ORB_wrapper.h"
#include "../../support/Eventually.h"

namespace calbench {

using namespace Velmarin;
using namespace std::chrono_literals;
using radalt::LockGroup;

// The nine groups a calibration takes.
const LockGroup kActivityGroups[] = {LockGroup::SIMRUN,          LockGroup::DIAGTXOUTPUT,
                                     LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                                     LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                     LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN,
                                     LockGroup::CALRUN};

inline std::string FreshRoot() { return FreshTestRoot("calib"); }
inline radalt::EngineConfig Config(const std::string& root) { return TestConfig(root); }

inline radaltsim::CalibrationTiming EngineTiming() {
  radaltsim::CalibrationTiming t;
  t.step = 20ms;
  t.loopback = 300ms;
  t.user = 150ms;
  t.tick = 5ms;
  return t;
}

// Engines for the channels given, bound where the master control looks for them; an engine
// can be killed (unbound and gone) while the master control still holds its reference.
class Engines {
 public:
  Engines(std::vector<int> channels, radaltsim::CalibrationTiming timing) {
    for (int ch : channels) {
      radaltsim::ScEngineOptions options;
      options.tick = 0ms;
      options.calibration = timing;
      auto e = std::make_unique<radaltsim::ScEngine_i>(ch, "Lumaren/local/RADALTSC/" + std::to_string(ch), options);
      e->SetReady(true);
      auto naming = std::make_unique<ORB_wrapper_base>();
      CORBA::Object_var ref = e->_this();
      naming->InstallAt({"Lumaren", "local", "RADALTSC", std::to_string(ch)}, ref);
      naming->InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", std::to_string(ch)}, ref);
      slots_.push_back({ch, std::move(naming), std::move(e)});
    }
  }
  radaltsim::ScEngine_i& operator[](int channel) { return *Find(channel).engine; }
  void Kill(int channel) {
    Slot& s = Find(channel);
    s.naming.reset();
    s.engine.reset();
  }

 private:
  struct Slot {
    int channel;
    std::unique_ptr<ORB_wrapper_base> naming;
    std::unique_ptr<radaltsim::ScEngine_i> engine;
  };
  Slot& Find(int channel) {
    for (auto& s : slots_)
      if (s.channel == channel) return s;
    throw std::out_of_range("no channel " + std::to_string(channel));
  }
  std::vector<Slot> slots_;
};

// The platform's self-test engine lock, where the master control looks for it.
struct SelftestEngine {
  SelftestEngine() {
    CORBA::Object_var ref = lock._this();
    naming.InstallAt({"Lumaren", "local", "HHSELFTEST_LOCK", "1"}, ref);
  }
  radaltsim::SelftestLock_i lock;
  ORB_wrapper_base naming;
};

class Bench {
 public:
  explicit Bench(std::vector<int> channels, radaltsim::CalibrationTiming engineTiming = EngineTiming())
      : root_(FreshRoot()), engines(std::move(channels), engineTiming), mc(Config(root_)) {
    radalt::CalibrationTiming t;
    t.stepTimeout = 5s;
    t.stepPoll = 2ms;
    t.loopbackPeriod = 10ms;
    t.userPeriod = 10ms;
    cal().SetTiming(t);
  }
  ~Bench() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  CALIBRATION& cal() { return *mc.CalibrationObj(); }
  // The client's command of key, as a GUI executes it.
  void Exec(const std::string& key) {
    CORBA::Object_var obj = mc.Gui().Local(key)->_this();
    EngineAttribVoid::_narrow(obj)->Execute(client.Id());
  }
  void SetLong(const std::string& key, long v) {
    CORBA::Object_var obj = mc.Gui().Local(key)->_this();
    EngineAttribLong::_narrow(obj)->Set(client.Id(), v);
  }
  bool Flag(const std::string& key) {
    return dynamic_cast<EngineReadingBoolean_i&>(*mc.Gui().Local(key)).Value();
  }
  long EngineNumber(int channel, const char* key) { return std::lround(engines[channel].Items().Number(key)); }
  void SetEnabled(int n) { mc.NoOfEnabledChannelsObj()->NoOfEnabledChannelsCallback(n); }

  bool HeldByMc(LockGroup g) { return SameLocker(mc.McLocker().Id(), mc.Group(g).Holder()); }
  bool Free(LockGroup g) { return !mc.Group(g).IsLocked(); }
  bool AllFree() {
    for (LockGroup g : kActivityGroups)
      if (!Free(g)) return false;
    return true;
  }

 private:
  std::string root_;

 public:
  SelftestEngine selftest;
  Engines engines;
  RADALT_MC mc;
  Locker client{"client"};
};

}  // namespace calbench
