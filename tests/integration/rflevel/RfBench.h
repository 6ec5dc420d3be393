// The master control against simulated channel engines that behave like the instrument
// (step rounding, own units, per-key counts), written through its attributes as a client
// writes them.
#pragma once

#include "../engine/TestConfig.h"

#include "../engine/Catch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "EngineConfig.h"
#include "LevelParameter.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "RFLEVEL_MODE.h"
#include "RUN_STOP_TEST.h"
#include "SimulationObjects.h"
#include "RfLevelObjects.h"
#include "ScEngine.h"
#include "platform/ORB_wrapper.h"

namespace rfbench {

using namespace Velmarin;
using radalt::LockGroup;

inline std::string FreshRoot() { return FreshTestRoot("rflevel"); }
inline radalt::EngineConfig Config(const std::string& root) { return TestConfig(root); }

using SimEngine = radaltsim::ScEngine_i;

// Simulated engines for the channels given, bound where the master control looks for them.
class Channels {
 public:
  explicit Channels(std::vector<int> channels) {
    for (int ch : channels) Start(ch);
  }
  SimEngine& operator[](int channel) { return *engines_.at(static_cast<std::size_t>(channel - 1)); }
  // A fresh engine for channel, bound in place of the one before (as after a restart).
  void Start(int channel) {
    radaltsim::ScEngineOptions options;
    options.tick = std::chrono::milliseconds(0);
    auto e = std::make_unique<SimEngine>(channel, "Lumaren/local/RADALTSC/" + std::to_string(channel), options);
    e->SetReady(true);
    CORBA::Object_var ref = e->_this();
    naming_.InstallAt({"Lumaren", "local", "RADALTSC", std::to_string(channel)}, ref);
    naming_.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", std::to_string(channel)}, ref);
    if (engines_.size() < static_cast<std::size_t>(channel)) engines_.resize(static_cast<std::size_t>(channel));
    retired_.push_back(std::move(engines_[static_cast<std::size_t>(channel - 1)]));
    engines_[static_cast<std::size_t>(channel - 1)] = std::move(e);
  }

 private:
  Velmarin::ORB_wrapper_base naming_;
  std::vector<std::unique_ptr<SimEngine>> engines_;
  std::vector<std::unique_ptr<SimEngine>> retired_;
};

class Bench {
 public:
  explicit Bench(std::vector<int> channels = {1, 2, 3}, std::string root = FreshRoot())
      : root_(std::move(root)), engines(std::move(channels)), mc(Config(root_)) {}
  ~Bench() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  radalt::RfLevelObjects& rf() { return radalt::RfLevel(mc); }

  // The master control's attribute key, narrowed.
  template <class I>
  typename I::_var_type Attr(const std::string& key) {
    Velmarin::EngineReadingBase_i* attr = mc.Gui().Local(key);
    if (!attr) throw std::logic_error("no attribute " + key);
    CORBA::Object_var obj = attr->_this();
    return I::_narrow(obj);
  }
  // A client write of a value record attribute: the current record with a new value.
  void SetDouble(const std::string& key, double v, const Locker& who) {
    auto a = Attr<EngineAttribValueDouble>(key);
    VALUE_DOUBLE::VALUE r = a->Get();
    r.val = v;
    a->Set(who.Id(), r);
  }
  void SetDouble(const std::string& key, double v) { SetDouble(key, v, client); }
  double Shown(const std::string& key) { return Attr<EngineAttribValueDouble>(key)->Get().val; }
  void SetInt(const std::string& key, int v) { Attr<EngineAttribEnum>(key)->Set(client.Id(), v); }
  void SetBool(const std::string& key, bool v) { Attr<EngineAttribBoolean>(key)->Set(client.Id(), v); }

  // The engine of channel, its items by key and what it counted.
  radaltsim::ItemStore& Engine(int channel) { return engines[channel].Items(); }
  double EngineValue(int channel, const char* key) { return Engine(channel).Number(key); }
  unsigned long Count(int channel, const char* key) { return Engine(channel).Count(key); }
  // Holds an engine item for another locker, so that the engine refuses the master control.
  void HoldEngineItem(int channel, const char* key) {
    Engine(channel).Servant(key).TryLock(other.Authority("Held in test", "Locked because a test holds it"), key_);
  }

  void SetEnabled(int n) { mc.NoOfEnabledChannelsObj()->NoOfEnabledChannelsCallback(n); }
  void Manual(bool coupled) {
    SetInt("RFLVLMODE", radalt::kManualRfLevel);
    SetBool("COUPLEDMANUALRFLVL", coupled);
  }
  // A running simulation, as far as the RF level settings ask.
  void Running(bool on) { mc.Simulation().runStopTest->Attr() = on; }

  bool HeldByMc(LockGroup g) { return SameLocker(mc.McLocker().Id(), mc.Group(g).Holder()); }

 private:
  std::string root_;
  CORBA::ULong key_ = 0;

 public:
  Channels engines;
  RADALT_MC mc;
  Locker client{"client"};
  Locker other{"other"};
};

}  // namespace rfbench
