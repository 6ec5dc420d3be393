// Lock groups as the master control's activities hold them: the initial locks, an invalid
// configuration and the self-test engine, the self test's button code, and every pair of
// activities that share a group (whichever ends first leaves exactly the other's holds).
#include <functional>
#include <map>
#include <mutex>
#include <optional>

#include "../../support/TestSet.h"
#include "CALIBRATION.h"
#include "DiagnosticsObjects.h"
#include "SelftestLocking.h"

using namespace Velmarin;
using radalt::LockGroup;
using testset::Bench;

namespace {

const char* const kInvalid = "Unit has an invalid configuration!  Please contact Velmarin for assistance.";
const LockGroup kRunButtons[] = {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                                 LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                 LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN, LockGroup::CALRUN,
                                 LockGroup::SIMRUN};

testset::Setup WithSelftestEngine(std::function<void(radalt::EngineConfig&)> config = {}) {
  testset::Setup s = testset::Engines({1}, [config](radalt::EngineConfig& c) {
    c.runSettleMs = 1;
    if (config) config(c);
  });
  s.selftestLock = true;
  return s;
}

// What clients see: each held group's reason and message (free groups are left out), and
// whether the self-test engine is locked.
using Seen = std::map<std::string, std::string>;
Seen SeenBy(Bench& b) {
  Seen seen;
  for (std::size_t i = 0; i < radalt::kLockGroupCount; ++i) {
    const auto g = static_cast<LockGroup>(i);
    if (b.mc.Group(g).IsLocked())
      seen[std::to_string(i) + " " + radalt::NameOf(g)] = b.Reason(g) + " | " + b.Message(g);
  }
  if (b.selftest->lock.IsLocked()) seen["self-test engine"] = "locked";
  return seen;
}

// An activity as a client or a peer starts and ends it; while guard shows another activity's
// hold, its start is refused with that hold's texts; its stop always passes.
struct Activity {
  std::string name;
  std::function<void(Bench&)> start, stop;
  std::optional<LockGroup> guard = std::nullopt;
};
// Runs one start or stop; what it throws is a failure naming the activity.
void Step(Bench& b, const Activity& a, const std::function<void(Bench&)>& step) {
  try {
    Output([&] { step(b); });
  } catch (const CORBA::Exception& e) {
    ADD_FAILURE() << a.name << ": " << e._name();
  }
}

std::vector<Activity> Activities() {
  std::vector<Activity> all = {
      {"simulation run", [](Bench& b) { b.SetBool("RUNSTOPTEST", true); },
       [](Bench& b) { b.SetBool("RUNSTOPTEST", false); }, LockGroup::SIMRUN},
      {"altitude indicator zero", [](Bench& b) { b.Exec("STARTALTINDZERO"); },
       [](Bench& b) { b.Exec("ABORTALTINDZERO"); }, LockGroup::ALTZERORUN},
      {"profile mode without legs", [](Bench& b) { b.SetInt("SIMULATIONMODE", 1); },
       [](Bench& b) { b.SetInt("SIMULATIONMODE", 0); }, LockGroup::SETTINGS},
      {"invalid configuration", [](Bench& b) { b.mc.radaltIsValidConfigPublished("", false); },
       [](Bench& b) { b.mc.radaltIsValidConfigPublished("", true); }, std::nullopt},
      {"self test", [](Bench& b) { b.mc.SelftestLocking()->lockForSelftestStart(); },
       [](Bench& b) { b.mc.SelftestLocking()->unlockForSelftestStop(); }, std::nullopt},
  };
  for (auto role : {radalt::DiagSwitchRole::TxOutput, radalt::DiagSwitchRole::RxMeasuring,
                    radalt::DiagSwitchRole::AttenOutput, radalt::DiagSwitchRole::LoopbackOutput,
                    radalt::DiagSwitchRole::LoopbackMeasuring, radalt::DiagSwitchRole::PassthruRunning}) {
    const radalt::DiagSwitchRow& row = radalt::RowOf(role);
    all.push_back({row.key, [key = row.key](Bench& b) { b.SetBool(key, true); },
                   [key = row.key](Bench& b) { b.SetBool(key, false); }, row.own});
  }
  return all;
}

}  // namespace

// (The texts of the automatic modes' holds: rf_level_mode_test, uut_test.)
TEST(Locks, InitialLocksHoldTheAutomaticModesAndNothingElse) {
  Bench b(WithSelftestEngine());
  EXPECT_EQ("Simulation not running", b.Reason(LockGroup::CURRENTALT));
  for (LockGroup g : {LockGroup::CURRENTALT, LockGroup::RFLEVEL, LockGroup::LOOPLOSS, LockGroup::UUT_TYPE,
                      LockGroup::UUT_CDF_SUB_TYPE, LockGroup::AIDITEMS, LockGroup::POWERDISPLAYMODE})
    EXPECT_TRUE(b.HeldByMc(g)) << radalt::NameOf(g);
  EXPECT_EQ("Currently always locked on Tarvik", b.Reason(LockGroup::AIDITEMS));
  for (LockGroup g : kRunButtons) EXPECT_TRUE(b.Free(g));
  EXPECT_TRUE(b.Free(LockGroup::RFLEVELMODE));
}

TEST(Locks, InvalidConfigurationLocksEveryRunButtonAndTheSelftestEngine) {
  testset::Setup s = WithSelftestEngine();
  s.selftestLock = false;
  Bench b(s);
  // A group another locker holds stays its own.
  b.mc.Group(LockGroup::CALRUN).Lock(b.other.Authority("Cal", "Locked because cal"));

  // Before the self-test engine exists the request is dropped; afterwards it is found.
  b.mc.radaltIsValidConfigPublished("topic", false);
  for (LockGroup g : kRunButtons) {
    if (g == LockGroup::CALRUN) continue;
    EXPECT_TRUE(b.HeldByMc(g));
    EXPECT_EQ("Invalid Configuration", b.Reason(g));
    EXPECT_EQ(kInvalid, b.Message(g));
  }
  EXPECT_EQ("Cal", b.Reason(LockGroup::CALRUN));

  testset::SelftestEngine selftest;
  b.mc.radaltIsValidConfigPublished("topic", true);
  for (LockGroup g : kRunButtons) EXPECT_TRUE(g == LockGroup::CALRUN || b.Free(g)) << radalt::NameOf(g);
  EXPECT_TRUE(SameLocker(b.other.Id(), b.mc.Group(LockGroup::CALRUN).Holder()));
  b.mc.radaltIsValidConfigPublished("topic", false);
  EXPECT_EQ((std::vector<std::string>{"unlock", std::string("lock: ") + kInvalid}), selftest.lock.Requests());
  EXPECT_TRUE(selftest.lock.IsLocked());
}

TEST(Locks, SelftestRunLocksFreeGroupsAndReportsItsButtonCode) {
  // Each publication of CALBUTTONSLOCKED notes whether "CALRUN" and "DIAGTXOUTPUT" were held.
  std::mutex m;
  std::vector<std::string> events;
  RADALT_MC* mcp = nullptr;
  Bench b(WithSelftestEngine([&](radalt::EngineConfig& c) {
    c.publisher = [&](const std::string& topic, const CORBA::Any& v) {
      CORBA::Long code;
      if (!mcp || topic.find("/CALBUTTONSLOCKED") == std::string::npos || !(v >>= code)) return;
      std::lock_guard<std::mutex> lock(m);
      events.push_back(std::to_string(code) + (mcp->Group(LockGroup::CALRUN).IsLocked() ? " cal" : "") +
                       (mcp->Group(LockGroup::DIAGTXOUTPUT).IsLocked() ? " tx" : ""));
    };
  }));
  mcp = &b.mc;
  b.mc.Group(LockGroup::ALTZERORUN).Lock(b.other.Authority("Zero", "Locked because zero"));

  b.mc.SelftestLocking()->lockForSelftestStart();
  EXPECT_EQ(13u, b.mc.CalibrationObj()->CalibrationButtonsLocked());
  EXPECT_EQ("Selftest is active", b.Reason(LockGroup::SIMRUN));
  EXPECT_EQ("Locked because a selftest is running. Abort the selftest", b.Message(LockGroup::CALRUN));
  EXPECT_EQ("Zero", b.Reason(LockGroup::ALTZERORUN));

  b.mc.SelftestLocking()->unlockForSelftestStop();
  EXPECT_EQ(0u, b.mc.CalibrationObj()->CalibrationButtonsLocked());
  for (LockGroup g : kRunButtons) EXPECT_TRUE(g == LockGroup::ALTZERORUN || b.Free(g)) << radalt::NameOf(g);
  EXPECT_TRUE(SameLocker(b.other.Id(), b.mc.Group(LockGroup::ALTZERORUN).Holder()));
  // 0 was published after "CALRUN" was released and before "DIAGTXOUTPUT" was.
  EXPECT_EQ((std::vector<std::string>{"13 cal tx", "0 tx"}), events);
}

// Every activity that takes a group, overlapped with every other that shares one: the second
// either is refused with the first's texts (its guard is held) or starts, the shared groups
// show the earliest hold, and when the first ends exactly the second's holds remain.
TEST(Locks, OneActivityEndingLeavesExactlyTheHoldsOfAnotherThatSharesItsGroups) {
  Bench b(WithSelftestEngine());
  const std::vector<Activity> activities = Activities();
  const Seen idle = SeenBy(b);
  std::vector<Seen> alone;
  for (const Activity& a : activities) {
    Step(b, a, a.start);
    alone.push_back(SeenBy(b));
    EXPECT_NE(idle, alone.back()) << a.name << " took nothing";
    Step(b, a, a.stop);
    ASSERT_EQ(idle, SeenBy(b)) << a.name << " did not give back what it took";
  }
  // Held by activity i rather than as when idle.
  auto held = [&](std::size_t i, const std::string& group) {
    const auto it = alone[i].find(group);
    return it != alone[i].end() && (!idle.count(group) || idle.at(group) != it->second);
  };
  auto key = [](LockGroup g) { return std::to_string(static_cast<std::size_t>(g)) + " " + radalt::NameOf(g); };

  int overlapped = 0, refused = 0;
  for (std::size_t i = 0; i < activities.size(); ++i)
    for (std::size_t j = 0; j < activities.size(); ++j) {
      bool shared = false;
      for (const auto& entry : alone[j]) shared = shared || (i != j && held(i, entry.first) && held(j, entry.first));
      if (!shared) continue;
      const Activity &first = activities[i], &second = activities[j];
      SCOPED_TRACE(first.name + ", then " + second.name);
      Step(b, first, first.start);
      if (second.guard && held(i, key(*second.guard))) {
        const auto e = Catch<Operation_errors::Locking_Error>([&] { Output([&] { second.start(b); }); });
        EXPECT_EQ(alone[i].at(key(*second.guard)), std::string(e.reason.in()) + " | " + e.message.in());
        EXPECT_EQ(alone[i], SeenBy(b));
        Step(b, first, first.stop);
        ++refused;
      } else {
        Step(b, second, second.start);
        Seen both = alone[j];
        for (const auto& [group, texts] : alone[i])
          if (held(i, group)) both[group] = texts;
        EXPECT_EQ(both, SeenBy(b));
        Step(b, first, first.stop);
        EXPECT_EQ(alone[j], SeenBy(b));
        Step(b, second, second.stop);
        ++overlapped;
      }
      ASSERT_EQ(idle, SeenBy(b));
    }
  EXPECT_GT(overlapped, 20);
  EXPECT_GT(refused, 20);
}
