// Lock groups as the master control drives them: the initial locks, an invalid configuration,
// the self-test lockout in both directions, and the calibration-button state.
#include <gtest/gtest.h>

#include <mutex>

#include "CALIBRATION.h"
#include "RADALT_MC.h"
#include "ScFixture.h"
#include "TestConfig.h"
#include "SelftestLocking.h"
#include "SelftestLock.h"
#include "UTILS.h"

using namespace Velmarin;
using radalt::LockGroup;

namespace {

const char* const kInvalid = "Unit has an invalid configuration!  Please contact Velmarin for assistance.";
const LockGroup kRunButtons[] = {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                                 LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                 LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN, LockGroup::CALRUN,
                                 LockGroup::SIMRUN};

// The master control with a hook that sees every published assignment.
struct Fixture {
  explicit Fixture(std::function<void(const std::string&, const CORBA::Any&)> onPublish = {})
      : sims({1}), mc(Config(std::move(onPublish))) {}
  static radalt::EngineConfig Config(std::function<void(const std::string&, const CORBA::Any&)> onPublish) {
    radalt::EngineConfig c = TestConfig();
    c.publisher = std::move(onPublish);
    return c;
  }
  bool HeldByMc(LockGroup g) { return SameLocker(mc.McLocker().Id(), mc.Group(g).Holder()); }
  SimulatedChannels sims;
  RADALT_MC mc;
};

using testset::SelftestEngine;

}  // namespace

TEST(Locks, InitialLocksHoldTheAutomaticModesAndNothingElse) {
  Fixture f;
  EXPECT_EQ("Simulation not running", f.mc.Group(LockGroup::CURRENTALT).Reason());
  EXPECT_EQ("Locked because auto rf level mode selected. Select manual rf level mode to set loop loss manually",
            f.mc.Group(LockGroup::LOOPLOSS).Message());
  EXPECT_EQ(f.mc.Group(LockGroup::UUT_TYPE).Message(), f.mc.Group(LockGroup::UUT_CDF_SUB_TYPE).Message());
  for (LockGroup g : {LockGroup::CURRENTALT, LockGroup::RFLEVEL, LockGroup::LOOPLOSS, LockGroup::UUT_TYPE,
                      LockGroup::UUT_CDF_SUB_TYPE, LockGroup::AIDITEMS, LockGroup::POWERDISPLAYMODE})
    EXPECT_TRUE(f.HeldByMc(g)) << radalt::kLockGroupNames[static_cast<std::size_t>(g)];
  EXPECT_EQ("Currently always locked on Tarvik", f.mc.Group(LockGroup::AIDITEMS).Reason());
  for (LockGroup g : kRunButtons) EXPECT_FALSE(f.mc.Group(g).IsLocked());
  EXPECT_FALSE(f.mc.Group(LockGroup::RFLEVELMODE).IsLocked());
}

TEST(Locks, InvalidConfigurationLocksEveryRunButtonAndTheSelftestEngine) {
  Fixture f;
  Locker other("calibration bench");
  // A group another locker holds stays its own.
  f.mc.Group(LockGroup::CALRUN).Lock(other.Authority("Cal", "Locked because cal"));

  // Before the self-test engine exists the request is dropped; afterwards it is found.
  f.mc.radaltIsValidConfigPublished("topic", false);
  for (LockGroup g : kRunButtons) {
    if (g == LockGroup::CALRUN) continue;
    EXPECT_TRUE(f.HeldByMc(g));
    EXPECT_EQ("Invalid Configuration", f.mc.Group(g).Reason());
    EXPECT_EQ(kInvalid, f.mc.Group(g).Message());
  }
  EXPECT_EQ("Cal", f.mc.Group(LockGroup::CALRUN).Reason());

  SelftestEngine selftest;
  f.mc.radaltIsValidConfigPublished("topic", true);
  for (LockGroup g : kRunButtons)
    if (g != LockGroup::CALRUN) {
      EXPECT_FALSE(f.mc.Group(g).IsLocked());
    }
  EXPECT_TRUE(SameLocker(other.Id(), f.mc.Group(LockGroup::CALRUN).Holder()));
  f.mc.radaltIsValidConfigPublished("topic", false);
  EXPECT_EQ((std::vector<std::string>{"unlock", std::string("lock: ") + kInvalid}), selftest.lock.Requests());
  EXPECT_TRUE(selftest.lock.IsLocked());
}

TEST(Locks, SelftestRunLocksFreeGroupsAndReportsItsButtonCode) {
  // Each publication of CALBUTTONSLOCKED notes whether "CALRUN" and "DIAGTXOUTPUT" were held.
  std::mutex m;
  std::vector<std::string> events;
  RADALT_MC* mcp = nullptr;
  Fixture f([&](const std::string& topic, const CORBA::Any& v) {
    CORBA::Long code;
    if (!mcp || topic.find("/CALBUTTONSLOCKED") == std::string::npos || !(v >>= code)) return;
    std::lock_guard<std::mutex> lock(m);
    events.push_back(std::to_string(code) + (mcp->Group(LockGroup::CALRUN).IsLocked() ? " cal" : "") +
                     (mcp->Group(LockGroup::DIAGTXOUTPUT).IsLocked() ? " tx" : ""));
  });
  mcp = &f.mc;
  Locker calibration("calibration");
  f.mc.Group(LockGroup::ALTZERORUN).Lock(calibration.Authority("Zero", "Locked because zero"));

  f.mc.SelftestLocking()->lockForSelftestStart();
  EXPECT_EQ(13u, f.mc.CalibrationObj()->CalibrationButtonsLocked());
  EXPECT_EQ("Selftest is active", f.mc.Group(LockGroup::SIMRUN).Reason());
  EXPECT_EQ("Locked because a selftest is running. Abort the selftest", f.mc.Group(LockGroup::CALRUN).Message());
  EXPECT_EQ("Zero", f.mc.Group(LockGroup::ALTZERORUN).Reason());

  f.mc.SelftestLocking()->unlockForSelftestStop();
  EXPECT_EQ(0u, f.mc.CalibrationObj()->CalibrationButtonsLocked());
  for (LockGroup g : kRunButtons)
    if (g != LockGroup::ALTZERORUN) {
      EXPECT_FALSE(f.mc.Group(g).IsLocked());
    }
  EXPECT_TRUE(SameLocker(calibration.Id(), f.mc.Group(LockGroup::ALTZERORUN).Holder()));
  // 0 was published after "CALRUN" was released and before "DIAGTXOUTPUT" was.
  EXPECT_EQ((std::vector<std::string>{"13 cal tx", "0 tx"}), events);
}

// Holds of several activities on one group, as a state machine: the group stays held while
// any activity holds it and shows the texts of the earliest hold that remains.
TEST(Locks, OverlappingActivitiesReleaseOnlyTheirOwnHolds) {
  Fixture f;
  radalt::LockGroups& locks = f.mc.Locks();
  Velmarin::Lockable_i& simRun = f.mc.Group(LockGroup::SIMRUN);

  EXPECT_TRUE(locks.Take(LockGroup::SIMRUN, "A", "Reason A", "Message A"));
  EXPECT_TRUE(locks.Take(LockGroup::SIMRUN, "B", "Reason B", "Message B"));
  EXPECT_EQ("Reason A", simRun.Reason());
  EXPECT_EQ((std::vector<radalt::Activity>{"A", "B"}), locks.Holders(LockGroup::SIMRUN));

  // Release A: still held, now with B's texts.
  EXPECT_TRUE(locks.Release(LockGroup::SIMRUN, "A"));
  EXPECT_TRUE(f.HeldByMc(LockGroup::SIMRUN));
  EXPECT_EQ("Reason B", simRun.Reason());
  EXPECT_EQ("Message B", simRun.Message());
  // A cannot release twice, nor release B's hold.
  EXPECT_FALSE(locks.Release(LockGroup::SIMRUN, "A"));
  EXPECT_TRUE(simRun.IsLocked());

  // A again, then B goes: A's texts; B taking again replaces only its own texts.
  EXPECT_TRUE(locks.Take(LockGroup::SIMRUN, "A", "Reason A2", "Message A2"));
  EXPECT_TRUE(locks.Take(LockGroup::SIMRUN, "B", "Reason B2", "Message B2"));
  EXPECT_EQ("Reason B2", simRun.Reason());
  EXPECT_TRUE(locks.Release(LockGroup::SIMRUN, "B"));
  EXPECT_EQ("Reason A2", simRun.Reason());
  EXPECT_TRUE(locks.Release(LockGroup::SIMRUN, "A"));
  EXPECT_FALSE(simRun.IsLocked());

  // A group another locker holds gains no hold and loses none.
  Locker other("bench");
  CORBA::ULong key = simRun.Lock(other.Authority("Other", "Locked because other"));
  EXPECT_FALSE(locks.Take(LockGroup::SIMRUN, "A", "x", "y"));
  EXPECT_FALSE(locks.Release(LockGroup::SIMRUN, "A"));
  EXPECT_TRUE(SameLocker(other.Id(), simRun.Holder()));
  simRun.Unlock(other.Id(), key);
}

// A valid configuration frees only what the invalid one held; the self-test lockout frees
// only its own holds; the self-test engine stays locked while any activity holds it.
TEST(Locks, ConfigurationAndSelftestFreeOnlyTheirOwnHolds) {
  Fixture f;
  radalt::LockGroups& locks = f.mc.Locks();
  SelftestEngine selftest;
  locks.Take(LockGroup::SIMRUN, "simulation run", "Simulation is running", "Locked because a simulation is running");
  locks.Take(LockGroup::CALRUN, "calibration", "Cal", "Locked because cal");
  f.mc.LockSelftestEngine("simulation run", "running");

  f.mc.radaltIsValidConfigPublished("topic", false);
  EXPECT_EQ("Simulation is running", f.mc.Group(LockGroup::SIMRUN).Reason());
  EXPECT_EQ("Invalid Configuration", f.mc.Group(LockGroup::DIAGTXOUTPUT).Reason());
  f.mc.radaltIsValidConfigPublished("topic", true);
  EXPECT_FALSE(f.mc.Group(LockGroup::DIAGTXOUTPUT).IsLocked());
  EXPECT_EQ("Simulation is running", f.mc.Group(LockGroup::SIMRUN).Reason());
  EXPECT_EQ("Cal", f.mc.Group(LockGroup::CALRUN).Reason());
  // The running simulation still holds the self-test engine.
  EXPECT_TRUE(selftest.lock.IsLocked());

  f.mc.SelftestLocking()->lockForSelftestStart();
  EXPECT_EQ("Selftest is active", f.mc.Group(LockGroup::ALTZERORUN).Reason());
  f.mc.SelftestLocking()->unlockForSelftestStop();
  EXPECT_FALSE(f.mc.Group(LockGroup::ALTZERORUN).IsLocked());
  EXPECT_EQ("Simulation is running", f.mc.Group(LockGroup::SIMRUN).Reason());
  EXPECT_EQ("Cal", f.mc.Group(LockGroup::CALRUN).Reason());

  f.mc.UnlockSelftestEngine("simulation run");
  EXPECT_FALSE(selftest.lock.IsLocked());
}
