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
using testset::LegCount;
using testset::Profile;
using testset::WithVal;
namespace Legs = testset::Legs;

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

  radalt::SimulationObjects& sim() { return mc.Simulation(); }
  CORBA::ULong EngineLegCount(int channel) { return LegCount(Engine(channel).AnyValue("LEGDATA")); }
  // Makes the engine report leg as the leg it flies.
  void PinLegNumber(int channel, int leg) { Engine(channel).Assign("PROFILELEGNUM", leg); }
  void SetCoupled(bool on) { SetBool("COUPLEDALTITUDESIMULATION", on); }
};

// Writes a stored value as the save/recall engine does: column of the row of id, or of name.
inline void Store(STpersistance* store, const std::string& row, const std::string& column, const std::string& value) {
  STdbConnection db;
  ASSERT_TRUE(db.Open(store->DatabasePath()));
  const std::string base = store->TableBase();
  const std::string id = std::isdigit(row[0]) ? row : "(SELECT id FROM " + base + "_values_metadata WHERE name='" + row + "')";
  ASSERT_TRUE(db.Execute("UPDATE " + base + "_values SET " + column + "=" + value + " WHERE id=" + id)) << db.LastError();
}

}  // namespace simbench
