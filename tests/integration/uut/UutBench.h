// The master control against simulated channel engines served from the test process (their
// clocks stopped, so a test moves the readings itself), with a UUT to plug in, the platform's
// self-test engine lock, and a client.
#pragma once

#include "../engine/TestConfig.h"

#include "../engine/Catch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CALIBRATION.h"
#include "EngineConfig.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "ScEngine.h"
#include "SelftestLock.h"
#include "platform/ORB_wrapper.h"

namespace uutbench {

using namespace Velmarin;
using radalt::LockGroup;
using Operation_errors::Locking_Error;
using Operation_errors::Settings_Conflict;

inline std::string FreshRoot() { return FreshTestRoot("uut"); }
inline radalt::EngineConfig Config(const std::string& root) { return TestConfig(root); }

// Simulated engines bound where the master control looks for them, and the self-test lock.
class Peers {
 public:
  explicit Peers(std::vector<int> channels) {
    for (int ch : channels) Add(ch);
    CORBA::Object_var ref = selftest._this();
    naming_.InstallAt({"Lumaren", "local", "HHSELFTEST_LOCK", "1"}, ref);
  }
  // Binds a fresh engine for channel ch (a restarted engine replaces the one before it).
  void Add(int ch) {
    radaltsim::ScEngineOptions options;
    options.tick = std::chrono::milliseconds(0);
    auto e = std::make_unique<radaltsim::ScEngine_i>(ch, "Lumaren/local/RADALTSC/" + std::to_string(ch), options);
    e->SetReady(true);
    CORBA::Object_var ref = e->_this();
    naming_.InstallAt({"Lumaren", "local", "RADALTSC", std::to_string(ch)}, ref);
    naming_.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", std::to_string(ch)}, ref);
    engines_[ch - 1] = std::move(e);
  }
  radaltsim::ScEngine_i& operator[](int ch) { return *engines_.at(static_cast<std::size_t>(ch - 1)); }
  std::string LastSelftestRequest() const {
    const std::vector<std::string> r = selftest.Requests();
    return r.empty() ? "" : r.back();
  }

  radaltsim::SelftestLock_i selftest;

 private:
  Velmarin::ORB_wrapper_base naming_;
  std::array<std::unique_ptr<radaltsim::ScEngine_i>, 3> engines_;
};

class Bench {
 public:
  explicit Bench(std::vector<int> channels, std::string root = FreshRoot())
      : root_(std::move(root)), peers(std::move(channels)), mc(Config(root_)) {}
  ~Bench() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  // An attribute of the master control as a client reaches it.
  template <class I>
  typename I::_var_type Attr(const char* key) {
    Velmarin::EngineReadingBase_i* servant = mc.Gui().Local(key);
    if (!servant) throw std::out_of_range(std::string("no attribute ") + key);
    CORBA::Object_var obj = servant->_this();
    return I::_narrow(obj);
  }
  // An item of channel ch's engine.
  template <class I>
  typename I::_var_type EngineItem(int ch, const char* key) {
    return peers[ch].Items().Ref<I>(key);
  }
  double EngineNumber(int ch, const char* key) { return peers[ch].Items().Number(key); }

  void SetEnabled(int n) { mc.NoOfEnabledChannelsObj()->NoOfEnabledChannelsCallback(n); }
  bool Free(LockGroup g) { return !mc.Group(g).IsLocked(); }
  std::string Reason(LockGroup g) { return mc.Group(g).Reason(); }
  std::string Message(LockGroup g) { return mc.Group(g).Message(); }
  unsigned CalButtons() { return mc.CalibrationObj()->CalibrationButtonsLocked(); }

 private:
  std::string root_;

 public:
  Peers peers;
  RADALT_MC mc;
  Locker client{"client"};
  Locker other{"other"};
};

}  // namespace uutbench
