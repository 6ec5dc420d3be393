// The test set in one process: simulated channel engines, the platform's self-test engine
// lock when asked for, the master control over them and a client that writes its attributes
// by key.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../integration/engine/Catch.h"
#include "../integration/engine/TestConfig.h"
#include "Eventually.h"
#include "NO_OF_AVAILABLE_CHANNELS.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "SimulatedChannels.h"

namespace testset {

using radalt::LockGroup;

struct Setup {
  std::vector<int> channels{1, 2, 3};
  radaltsim::ScEngineOptions engine = Stopped();
  bool selftestLock = false;
  std::string root{};  // a fresh one when empty
  std::function<void(radalt::EngineConfig&)> config{};  // changes to the test configuration
  bool keepRoot = false;  // left behind for a later master control
};

// Engines for channels, everything else as set up by default but for the changes to the
// test configuration.
inline Setup Engines(std::vector<int> channels, std::function<void(radalt::EngineConfig&)> config = {}) {
  Setup s;
  s.channels = std::move(channels);
  s.config = std::move(config);
  return s;
}

// A value record r with the value v.
template <class R, class V>
R WithVal(R r, V v) {
  r.val = v;
  return r;
}

namespace Legs = ::RadAltSingleChannelModel::AltimeterSimulationObjects;

// A profile of legs {start, stop, rate or duration}, numbered from 1; the count of legs in one.
inline CORBA::Any Profile(const std::vector<std::vector<double>>& legs) {
  Legs::alt_sim_data_seq seq;
  seq.length(static_cast<CORBA::ULong>(legs.size()));
  for (CORBA::ULong i = 0; i < seq.length(); ++i)
    seq[i] = Legs::Alt_Sim_Data{legs[i][0], legs[i][1], legs[i][2], static_cast<CORBA::Long>(i + 1)};
  CORBA::Any a;
  a <<= seq;
  return a;
}
inline CORBA::ULong LegCount(const CORBA::Any& a) {
  const Legs::alt_sim_data_seq* seq = nullptr;
  return (a >>= seq) ? seq->length() : 0;
}

inline radalt::EngineConfig Configured(const std::string& root, const std::function<void(radalt::EngineConfig&)>& f) {
  radalt::EngineConfig c = TestConfig(root);
  if (f) f(c);
  return c;
}

template <class E = radaltsim::ScEngine_i>
class BasicBench {
 public:
  explicit BasicBench(Setup s, typename Channels<E>::Maker make = {})
      : root_(s.root.empty() ? FreshTestRoot("testset") : s.root),
        keepRoot_(s.keepRoot),
        selftest(Selftest(s.selftestLock)),
        engines(std::move(s.channels), make ? make : Channels<E>::Options(s.engine)),
        mc(Configured(root_, s.config)) {}
  virtual ~BasicBench() {
    if (keepRoot_) return;
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  const std::string& Root() const { return root_; }

  // The master control's attribute key as a client reaches it.
  template <class I>
  typename I::_var_type Attr(const std::string& key) {
    Velmarin::EngineReadingBase_i* attr = mc.Gui().Local(key);
    if (!attr) throw std::out_of_range("no attribute " + key);
    CORBA::Object_var obj = attr->_this();
    return I::_narrow(obj);
  }
  void Exec(const std::string& key) { Attr<Velmarin::EngineAttribVoid>(key)->Execute(client.Id()); }
  void SetLong(const std::string& key, long v) { Attr<Velmarin::EngineAttribLong>(key)->Set(client.Id(), v); }
  void SetInt(const std::string& key, int v) { Attr<Velmarin::EngineAttribEnum>(key)->Set(client.Id(), v); }
  void SetBool(const std::string& key, bool v) { Attr<Velmarin::EngineAttribBoolean>(key)->Set(client.Id(), v); }
  // A value record write: the current record with a new value.
  void SetDouble(const std::string& key, double v, const Velmarin::Locker& who) {
    auto a = Attr<Velmarin::EngineAttribValueDouble>(key);
    a->Set(who.Id(), WithVal(a->Get(), v));
  }
  void SetDouble(const std::string& key, double v) { SetDouble(key, v, client); }
  double Shown(const std::string& key) { return Attr<Velmarin::EngineAttribValueDouble>(key)->Get().val; }
  bool Flag(const std::string& key) {
    return dynamic_cast<Velmarin::EngineReadingBoolean_i&>(*mc.Gui().Local(key)).Value();
  }

  // The engine of channel: its items by key and what it counted.
  radaltsim::ItemStore& Engine(int channel) { return engines[channel].Items(); }
  template <class I>
  typename I::_var_type EngineItem(int channel, const char* key) {
    return Engine(channel).template Ref<I>(key);
  }
  double EngineNumber(int channel, const char* key) { return Engine(channel).Number(key); }
  unsigned long Count(int channel, const char* key) { return Engine(channel).Count(key); }
  // Holds an engine item for another locker, so that the engine refuses the master control.
  void HoldEngineItem(int channel, const char* key) {
    CORBA::ULong held = 0;
    Engine(channel).Servant(key).TryLock(other.Authority("Held in test", "Locked because a test holds it"), held);
  }

  // An engine's announcement ("create,2", "destroy,3") as the master control hears it; what it
  // logs.
  std::string Announce(const std::string& command) {
    return Output([&] { mc.RadAltDDS_SubCallback("Lumaren/local/RADALTSC", command.c_str()); });
  }
  void SetEnabled(int n) { mc.NoOfEnabledChannelsObj()->NoOfEnabledChannelsCallback(n); }
  // Available and enabled as the registry counts them, then as their attributes show them.
  std::vector<long> Counts() {
    return {long(mc.AvailableCount()), long(mc.EnabledCount()), mc.NoOfAvailableChannelsObj()->Value(),
            mc.NoOfEnabledChannelsObj()->Value()};
  }
  bool HeldByMc(LockGroup g) { return Velmarin::SameLocker(mc.McLocker().Id(), mc.Group(g).Holder()); }
  bool Free(LockGroup g) { return !mc.Group(g).IsLocked(); }
  std::string Reason(LockGroup g) { return mc.Group(g).Reason(); }
  std::string Message(LockGroup g) { return mc.Group(g).Message(); }
  std::string LastSelftestRequest() const {
    const std::vector<std::string> r = selftest->lock.Requests();
    return r.empty() ? "" : r.back();
  }

 private:
  static std::unique_ptr<SelftestEngine> Selftest(bool on) {
    return on ? std::make_unique<SelftestEngine>() : nullptr;
  }
  std::string root_;
  bool keepRoot_;

 public:
  std::unique_ptr<SelftestEngine> selftest;
  Channels<E> engines;
  RADALT_MC mc;
  Velmarin::Locker client{"client"};
  Velmarin::Locker other{"other"};
};

using Bench = BasicBench<>;

}  // namespace testset
