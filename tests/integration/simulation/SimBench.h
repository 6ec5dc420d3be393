// The master control against channel engines whose items simply keep what they accept, so
// that a test decides what an engine reports (leg numbers, read-backs, refusals) through the
// engine's own items.
#pragma once

#include <atomic>
#include <cctype>

#include "../../support/TestSet.h"
#include "SimulationCommon.h"
#include "SimulationObjects.h"

namespace simbench {

using namespace Velmarin;
using radalt::LockGroup;
namespace Legs = ::RadAltSingleChannelModel::AltimeterSimulationObjects;

// A channel engine that serves plain items: a write inside the limits becomes the value.
class PlainChannel : public radaltsim::ScEngine_i {
 public:
  PlainChannel(int channel, const std::string& base, radaltsim::ScEngineOptions options = {})
      : ScEngine_i(channel, base, options), namer_(base + "/PLAIN"), gui_(base + "/PLAIN/GUI_ABLE"), plain_(namer_, gui_) {
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

// The master control with its simulation objects, a client and plain engines.
class Bench : public testset::BasicBench<PlainChannel> {
 public:
  explicit Bench(std::vector<int> channels, std::string root = FreshRoot(), bool selftestLock = false)
      : BasicBench({std::move(channels), {}, selftestLock, std::move(root)}) {}
  ~Bench() override { coupling_.reset(); }

  radalt::SimulationObjects& sim() { return mc.Simulation(); }
  double EngineValue(int channel, const char* key) {
    return EngineItem<EngineAttribValueDouble>(channel, key)->Get().val;
  }
  CORBA::ULong EngineLegCount(int channel);
  // Makes the engine report leg as the leg it flies.
  void PinLegNumber(int channel, int leg) {
    auto& reading = dynamic_cast<EngineReadingLong_i&>(Engine(channel).Servant("PROFILELEGNUM"));
    reading = leg;
  }
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

// Writes a stored value as the save/recall engine does: column of the row of id, or of name.
inline void Store(STpersistance* store, const std::string& row, const std::string& column, const std::string& value) {
  STdbConnection db;
  ASSERT_TRUE(db.Open(store->DatabasePath()));
  const std::string base = store->TableBase();
  const std::string id = std::isdigit(row[0]) ? row : "(SELECT id FROM " + base + "_values_metadata WHERE name='" + row + "')";
  ASSERT_TRUE(db.Execute("UPDATE " + base + "_values SET " + column + "=" + value + " WHERE id=" + id)) << db.LastError();
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
