// The master control against channel engines whose items simply keep what they accept, so
// that a test decides what an engine reports (leg numbers, read-backs, refusals) through the
// engine's own items.
#pragma once

#include "../engine/TestConfig.h"

#include "../engine/Catch.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "EngineConfig.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "RADALT_MC.h"
#include "ScEngine.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"
#include "platform/ORB_wrapper.h"

namespace simbench {

using namespace Velmarin;
using radalt::LockGroup;
namespace Legs = ::RadAltSingleChannelModel::AltimeterSimulationObjects;

// A channel engine that serves plain items: a write inside the limits becomes the value.
class PlainChannel : public radaltsim::ScEngine_i {
 public:
  PlainChannel(int channel, const std::string& base)
      : ScEngine_i(channel, base), namer_(base + "/PLAIN"), gui_(base + "/PLAIN/GUI_ABLE"), plain_(namer_, gui_) {
    SetReady(true);
  }
#define SC_ITEM(op, kind, key, ...) \
  Velmarin::Engine##kind##_ptr op() override { return plain_.Ref<Velmarin::Engine##kind>(key); }
#include "radaltsc_items.def"
#undef SC_ITEM
  CORBA::Boolean ApplyCurrentAltitude() override {
    ++applied;
    return true;
  }

  radaltsim::ItemStore& Items() { return plain_; }
  std::atomic<int> applied{0};

 private:
  Velmarin::ItemNamer namer_;
  Velmarin::GUI_Able_i gui_;
  radaltsim::ItemStore plain_;
};

inline std::string FreshRoot() { return FreshTestRoot("simobj"); }
inline radalt::EngineConfig Config(const std::string& root) { return TestConfig(root); }

// Engines for the channels given, bound where the master control looks for them.
class Channels {
 public:
  explicit Channels(std::vector<int> channels) {
    for (int ch : channels) {
      auto e = std::make_unique<PlainChannel>(ch, "Lumaren/local/RADALTSC/" + std::to_string(ch));
      CORBA::Object_var ref = e->_this();
      naming_.InstallAt({"Lumaren", "local", "RADALTSC", std::to_string(ch)}, ref);
      naming_.InstallAt({"Lumaren", "local", "RADALTSC_INHOUSE", std::to_string(ch)}, ref);
      engines_.push_back(std::move(e));
    }
  }
  PlainChannel& operator[](int channel) { return *engines_.at(static_cast<std::size_t>(channel - 1)); }

 private:
  Velmarin::ORB_wrapper_base naming_;
  std::vector<std::unique_ptr<PlainChannel>> engines_;
};

// The master control with its simulation objects, a client and the engines.
class Bench {
 public:
  explicit Bench(std::vector<int> channels, std::string root = FreshRoot())
      : root_(std::move(root)), engines(std::move(channels)), mc(Config(root_)) {}
  ~Bench() {
    coupling_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  radalt::SimulationObjects& sim() { return mc.Simulation(); }
  radaltsim::ItemStore& Engine(int channel) { return engines[channel].Items(); }
  template <class I>
  typename I::_var_type EngineItem(int channel, const char* key) {
    return Engine(channel).Ref<I>(key);
  }
  double EngineValue(int channel, const char* key) {
    return EngineItem<EngineAttribValueDouble>(channel, key)->Get().val;
  }
  CORBA::ULong EngineLegCount(int channel);
  // Makes the engine report leg as the leg it flies.
  void PinLegNumber(int channel, int leg) {
    auto& reading = dynamic_cast<EngineReadingLong_i&>(Engine(channel).Servant("PROFILELEGNUM"));
    reading = leg;
  }
  void SetEnabled(int n) { mc.NoOfEnabledChannelsObj()->NoOfEnabledChannelsCallback(n); }

  // The coupling switch as a client sets it; a stand-in attribute while the master control
  // has none of its own.
  void SetCoupled(bool on) {
    Velmarin::EngineReadingBase_i* attr = mc.Gui().Local("COUPLEDALTITUDESIMULATION");
    if (!attr) {
      coupling_ = std::make_unique<EngineAttribBoolean_i>(mc.Namer(), mc.Gui(), "COUPLEDALTITUDESIMULATION", false,
                                                          [this](CORBA::Boolean v) { *coupling_ = v; });
      attr = coupling_.get();
    }
    CORBA::Object_var obj = attr->_this();
    EngineAttribBoolean::_narrow(obj)->Set(client.Id(), on);
  }

  bool HeldByMc(LockGroup g) { return SameLocker(mc.McLocker().Id(), mc.Group(g).Holder()); }
  bool Free(LockGroup g) { return !mc.Group(g).IsLocked(); }

 private:
  std::string root_;

 public:
  Channels engines;
  RADALT_MC mc;
  Locker client{"client"};
  Locker other{"other"};

 private:
  std::unique_ptr<EngineAttribBoolean_i> coupling_;
};


inline VALUE_DOUBLE::VALUE WithVal(VALUE_DOUBLE::VALUE r, double v) {
  r.val = v;
  return r;
}
inline VALUE_LONG::VALUE WithVal(VALUE_LONG::VALUE r, CORBA::Long v) {
  r.val = v;
  return r;
}

// A profile of legs {start, stop, rate or duration}, numbered from 1.
inline CORBA::Any Profile(std::vector<std::vector<double>> legs) {
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

inline CORBA::ULong Bench::EngineLegCount(int channel) {
  CORBA::Any_var legs = EngineItem<EngineAttribAny>(channel, "LEGDATA")->Get();
  return LegCount(legs.in());
}

}  // namespace simbench
