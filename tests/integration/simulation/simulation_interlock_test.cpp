// Run/stop and pause/resume as the test set's interlock, and the altitude-indicator zero: each
// state, each transition, and every lock group they take and release.
#include <chrono>
#include <exception>
#include <thread>

#include "ABORT_ALT_IND_ZERO.h"
#include "CALIBRATION.h"
#include "CURRENT_ALTITUDE_CHAN1.h"
#include "CURRENT_START_ALTITUDE_CHAN1.h"
#include "PAUSE_RESUME_TEST.h"
#include "RUN_STOP_TEST.h"
#include "SAVE_ALT_IND_ZERO.h"
#include "SIMULATION_MODE.h"
#include "START_ALT_IND_ZERO.h"
#include "SelftestLock.h"
#include "SimBench.h"

using namespace simbench;
using Operation_errors::Locking_Error;

namespace {

const char* const kRunningMessage = "Locked because a simulation is running. Stop the simulation";
const char* const kZeroMessage = "Locked because altitude indicator zero function is active. Abort the function";
const LockGroup kDiagnostics[] = {LockGroup::DIAGTXOUTPUT,          LockGroup::DIAGTXATTENOUTPUT,
                                  LockGroup::DIAGRXMEASURING,       LockGroup::DIAGLOOPBACKOUTPUT,
                                  LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING};

// The platform's self-test engine lock, where the master control looks for it.
struct SelftestEngine : testset::SelftestEngine {
  std::string LastRequest() const { return lock.Requests().empty() ? "" : lock.Requests().back(); }
};

// A client writes run to RUNSTOPTEST. Returns the reason SIMRUN showed while the write
// settled ("" when it took no settle lock).
std::string WriteRunStop(Bench& b, bool run) {
  EngineAttribBoolean_var attr = b.sim().runStopTest->RunStopTest();
  std::atomic<bool> done{false};
  std::exception_ptr failure;
  std::thread writer([&] {
    try {
      attr->Set(b.client.Id(), run);
    } catch (...) {
      failure = std::current_exception();
    }
    done = true;
  });
  std::string seen;
  while (!done) {
    const std::string reason = b.mc.Group(LockGroup::SIMRUN).Reason();
    if (reason.rfind("Locked because simulation is", 0) == 0) seen = reason;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  writer.join();
  if (failure) std::rethrow_exception(failure);
  return seen;
}

bool EnginesRun(Bench& b, int n, bool running) {
  for (int ch = 1; ch <= n; ++ch)
    if (b.EngineItem<EngineAttribBoolean>(ch, "RUNSTOPTEST")->Get() != running) return false;
  return true;
}

unsigned CalButtons(Bench& b) { return b.mc.CalibrationObj()->CalibrationButtonsLocked(); }

}  // namespace

TEST(RunStop, StartPauseResumeStopInManualMode) {
  SelftestEngine selftest;
  Bench b({1, 2});
  auto& sim = b.sim();
  EngineAttribBoolean_var run = sim.runStopTest->RunStopTest();
  EngineAttribBoolean_var pause = sim.pauseResumeTest->PauseResumeTest();

  // Stopped: only the current altitude is fixed.
  EXPECT_FALSE(run->Get());
  EXPECT_EQ("Simulation not running", b.mc.Group(LockGroup::CURRENTALT).Reason());
  for (LockGroup g : {LockGroup::MANUALTEST, LockGroup::PROFILETEST, LockGroup::SETTINGS, LockGroup::SIMRUN})
    EXPECT_TRUE(b.Free(g));

  // Starting.
  b.mc.Locks().Take(LockGroup::PAUSERESUMEBUTTON, radalt::activity::kPauseResumeButton, "", "");
  EXPECT_EQ("Locked because simulation is starting.", WriteRunStop(b, true));
  EXPECT_TRUE(run->Get());
  EXPECT_TRUE(EnginesRun(b, 2, true));
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
  EXPECT_TRUE(b.Free(LockGroup::PAUSERESUMEBUTTON));
  EXPECT_TRUE(b.Free(LockGroup::PROFILETEST));
  for (LockGroup g : {LockGroup::MANUALTEST, LockGroup::SETTINGS, LockGroup::CURRENTALT}) EXPECT_TRUE(b.HeldByMc(g));
  for (LockGroup g : kDiagnostics) EXPECT_EQ(kRunningMessage, b.mc.Group(g).Message());
  for (LockGroup g : {LockGroup::ALTZERORUN, LockGroup::CALRUN}) {
    EXPECT_EQ("Simulation is running", b.mc.Group(g).Reason());
    EXPECT_EQ(kRunningMessage, b.mc.Group(g).Message());
  }
  EXPECT_EQ(12u, CalButtons(b));
  EXPECT_EQ(std::string("lock: ") + kRunningMessage, selftest.LastRequest());

  // What a running simulation refuses to clients.
  EngineAttribValueDouble_var start = sim.currentStartAltitudeChan1->CurrentStartAltitudeChan1();
  EXPECT_THROW(start->Set(b.client.Id(), WithVal(start->Get(), 5.0)), Locking_Error);
  EXPECT_THROW(EngineAttribEnum_var(sim.simulationMode->SimulationMode())->Set(b.client.Id(), 1), Locking_Error);
  const unsigned long calls = b.Engine(1).Calls();
  EXPECT_THROW(EngineAttribVoid_var(sim.startAltIndZero->StartAltIndZero())->Execute(b.client.Id()), Locking_Error);
  EXPECT_EQ(calls, b.Engine(1).Calls());

  // Paused, the current altitude may change; resumed, it is fixed again.
  pause->Set(b.client.Id(), true);
  EXPECT_TRUE(b.Free(LockGroup::CURRENTALT));
  EXPECT_TRUE(b.EngineItem<EngineAttribBoolean>(2, "PAUSERESUMETEST")->Get());
  EngineAttribValueDouble_var current = sim.currentAltitudeChan1->CurrentAltitudeChan1();
  current->Set(b.client.Id(), WithVal(current->Get(), 250.0));
  EXPECT_DOUBLE_EQ(250.0, b.EngineValue(1, "CURALT"));
  pause->Set(b.client.Id(), false);
  EXPECT_EQ("Simulation not paused", b.mc.Group(LockGroup::CURRENTALT).Reason());
  EXPECT_FALSE(b.EngineItem<EngineAttribBoolean>(1, "PAUSERESUMETEST")->Get());

  // Someone else holding the current altitude refuses the stop, and the writer is told.
  pause->Set(b.client.Id(), true);
  CORBA::ULong key = b.mc.Group(LockGroup::CURRENTALT).Lock(b.other.Authority("Other", "Locked because other"));
  const std::string line = Output([&] {
    const auto e = Catch<Locking_Error>([&] { run->Set(b.client.Id(), false); });
    EXPECT_STREQ("Other", e.reason.in());
    EXPECT_STREQ("Locked because other", e.message.in());
  });
  EXPECT_EQ(" RUN_STOP_TEST::RunStopTestCallback throw Locking_Error_Exception\n", line);
  EXPECT_TRUE(run->Get());
  EXPECT_TRUE(EnginesRun(b, 2, true));
  // ...and the resume.
  EXPECT_STREQ("Other", Catch<Locking_Error>([&] { pause->Set(b.client.Id(), false); }).reason.in());
  EXPECT_TRUE(pause->Get());
  b.mc.Group(LockGroup::CURRENTALT).Unlock(b.other.Id(), key);
  pause->Set(b.client.Id(), false);

  // Stopping.
  EXPECT_EQ("Locked because simulation is stopping.", WriteRunStop(b, false));
  EXPECT_FALSE(run->Get());
  EXPECT_TRUE(EnginesRun(b, 2, false));
  EXPECT_TRUE(b.HeldByMc(LockGroup::CURRENTALT));
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::MANUALTEST, LockGroup::PROFILETEST, LockGroup::SETTINGS,
                      LockGroup::ALTZERORUN, LockGroup::CALRUN})
    EXPECT_TRUE(b.Free(g));
  for (LockGroup g : kDiagnostics) EXPECT_TRUE(b.Free(g));
  EXPECT_EQ(0u, CalButtons(b));
  EXPECT_EQ("unlock", selftest.LastRequest());

  // While SIMRUN is held the run button refuses clients with the group's texts...
  b.mc.TakeGroup(LockGroup::SIMRUN, "Held", "Locked because held");
  try {
    run->Set(b.client.Id(), true);
    ADD_FAILURE() << "run button passed a held SIMRUN";
  } catch (const Locking_Error& e) {
    EXPECT_STREQ("Held", e.reason.in());
    EXPECT_STREQ("Locked because held", e.message.in());
  }
  // ...and the same value again starts or stops nothing, and leaves the other holder's lock
  // on the run button as it was.
  const unsigned long before = b.Engine(1).Calls();
  sim.runStopTest->RunStopTestCallback(false);
  EXPECT_EQ(before, b.Engine(1).Calls());
  EXPECT_EQ("Held", b.mc.Group(LockGroup::SIMRUN).Reason());
  b.mc.ReleaseGroup(LockGroup::SIMRUN);
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
}

TEST(RunStop, AnEngineThatStaysStoppedGetsTheStoppedLocks) {
  Bench b({1});
  b.Engine(1).OnAccepted([&](const std::string& key) {
    if (key == "RUNSTOPTEST") dynamic_cast<EngineAttribBoolean_i&>(b.Engine(1).Servant(key)) = false;
  });
  EXPECT_EQ("Locked because simulation is stopping.", WriteRunStop(b, true));
  EXPECT_FALSE(b.sim().runStopTest->Value());
  for (LockGroup g : {LockGroup::MANUALTEST, LockGroup::SETTINGS, LockGroup::CALRUN}) EXPECT_TRUE(b.Free(g));
  EXPECT_TRUE(b.HeldByMc(LockGroup::CURRENTALT));

  // With no channel enabled nothing is started and nothing waits.
  b.SetEnabled(0);
  const unsigned long calls = b.Engine(1).Calls();
  std::string out = Output([&] {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.sim().runStopTest->RunStopTestCallback(true); });
    EXPECT_STREQ("No enabled channels", e.text.in());
  });
  EXPECT_EQ(" RUN_STOP_TEST::RunStopTestCallback throw Settings_Conflict:No enabled channels\n", out);
  EXPECT_EQ(calls, b.Engine(1).Calls());
}

TEST(RunStop, StartGoesByTheMasterControlsUutDetectionNotByChannelOnesEngine) {
  Bench b({1});
  auto& detection = dynamic_cast<EngineAttribEnum_i&>(*b.mc.Gui().Local("UUTDETECT"));
  auto& engineDetection = dynamic_cast<EngineAttribEnum_i&>(b.Engine(1).Servant("UUTDETECT"));

  // A detection mode the master control does not know refuses the start, whatever the engine holds.
  detection = 7;
  engineDetection = 1;
  const std::string out = Output([&] {
    auto e = Catch<Runtime_errors::Unhandled_switch>([&] { b.sim().runStopTest->RunStopTestCallback(true); });
    EXPECT_STREQ("RunStopTestCallback - uut_autodetect", e.text.in());
  });
  EXPECT_EQ(" RUN_STOP_TEST::RunStopTestCallback throw RunStopTestCallback - uut_autodetect\n", out);
  EXPECT_TRUE(EnginesRun(b, 1, false));
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));

  // Manual detection at the master control starts the run, though the engine holds an unknown mode.
  detection = 1;
  engineDetection = 7;
  b.sim().runStopTest->RunStopTestCallback(true);
  EXPECT_TRUE(b.sim().runStopTest->Value());
  EXPECT_TRUE(EnginesRun(b, 1, true));
}

TEST(RunStop, ProfileModeKeepsTheRampLockedAfterTheStop) {
  Bench b({1});
  b.PinLegNumber(1, 1);
  b.sim().simulationMode->SimulationModeCallback(1);
  EXPECT_EQ("Profile mode selected", b.mc.Group(LockGroup::MANUALTEST).Reason());
  WriteRunStop(b, true);
  EXPECT_TRUE(b.HeldByMc(LockGroup::PROFILETEST));
  WriteRunStop(b, false);
  EXPECT_TRUE(b.Free(LockGroup::PROFILETEST));
  EXPECT_EQ("Profile mode selected", b.mc.Group(LockGroup::MANUALTEST).Reason());
}

TEST(AltIndZero, StartLocksOutAndSaveOrAbortRelease) {
  SelftestEngine selftest;
  Bench b({1, 2});
  auto& sim = b.sim();
  EngineAttribVoid_var start = sim.startAltIndZero->StartAltIndZero();
  EngineAttribVoid_var save = sim.saveAltIndZero->SaveAltIndZero();
  EngineAttribVoid_var abort = sim.abortAltIndZero->AbortAltIndZero();
  const unsigned long calls1 = b.Engine(1).Calls(), calls2 = b.Engine(2).Calls();

  start->Execute(b.client.Id());
  EXPECT_EQ(calls1 + 1, b.Engine(1).Calls());
  EXPECT_EQ(calls2 + 1, b.Engine(2).Calls());
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::CALRUN}) {
    EXPECT_EQ("Altitude Indicator Zero active", b.mc.Group(g).Reason());
    EXPECT_EQ(kZeroMessage, b.mc.Group(g).Message());
  }
  for (LockGroup g : kDiagnostics) EXPECT_EQ(kZeroMessage, b.mc.Group(g).Message());
  EXPECT_TRUE(b.Free(LockGroup::ALTZERORUN));
  EXPECT_EQ(14u, CalButtons(b));
  EXPECT_EQ(std::string("lock: ") + kZeroMessage, selftest.LastRequest());

  abort->Execute(b.client.Id());
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::CALRUN}) EXPECT_TRUE(b.Free(g));
  for (LockGroup g : kDiagnostics) EXPECT_TRUE(b.Free(g));
  EXPECT_EQ(0u, CalButtons(b));
  EXPECT_EQ("unlock", selftest.LastRequest());

  // Save without a start: every engine gets it, a group held by someone else stays held.
  CORBA::ULong key = b.mc.Group(LockGroup::CALRUN).Lock(b.other.Authority("Cal", "Locked because cal"));
  save->Execute(b.client.Id());
  EXPECT_EQ(calls2 + 3, b.Engine(2).Calls());
  EXPECT_TRUE(SameLocker(b.other.Id(), b.mc.Group(LockGroup::CALRUN).Holder()));
  b.mc.Group(LockGroup::CALRUN).Unlock(b.other.Id(), key);

  // An engine refusing the command ends it before any lock changes.
  EngineAttribVoid_var engineStart = b.EngineItem<EngineAttribVoid>(2, "STARTALTINDZERO");
  engineStart->Lock(b.other.Authority("Service", "Locked because of service"));
  EXPECT_THROW(start->Execute(b.client.Id()), Locking_Error);
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));

  // Without enabled channels nothing is sent, but the function still locks out.
  b.SetEnabled(0);
  const unsigned long calls = b.Engine(1).Calls();
  sim.startAltIndZero->StartAltIndZeroCallback();
  EXPECT_EQ(calls, b.Engine(1).Calls());
  EXPECT_TRUE(b.HeldByMc(LockGroup::SIMRUN));
}

// An invalid configuration during a run: the run can still be stopped, a new start is
// refused with the configuration's texts, and the stop leaves those texts in place.
TEST(RunStop, ARunningSimulationCanAlwaysBeStopped) {
  Bench b({1});
  b.SetEnabled(1);
  EngineAttribBoolean_var run = b.sim().runStopTest->RunStopTest();
  run->Set(b.client.Id(), true);
  ASSERT_TRUE(run->Get());

  b.mc.radaltIsValidConfigPublished("topic", false);
  EXPECT_EQ("Invalid Configuration", b.mc.Group(LockGroup::SIMRUN).Reason());
  run->Set(b.client.Id(), false);
  EXPECT_FALSE(run->Get());
  EXPECT_TRUE(EnginesRun(b, 1, false));
  EXPECT_EQ("Invalid Configuration", b.mc.Group(LockGroup::SIMRUN).Reason());
  // The stop released the run's holds, not the configuration's.
  EXPECT_TRUE(b.Free(LockGroup::SETTINGS));
  EXPECT_EQ("Invalid Configuration", b.mc.Group(LockGroup::CALRUN).Reason());

  const auto refused = Catch<Locking_Error>([&] { run->Set(b.client.Id(), true); });
  EXPECT_STREQ("Invalid Configuration", refused.reason.in());
  EXPECT_FALSE(EnginesRun(b, 1, true));
}

// Activities that lock the run button overlap: one ending never frees another's lock.
TEST(RunStop, OneActivityEndingLeavesTheOthersRunButtonLock) {
  Bench b({1});
  b.SetEnabled(1);
  auto& sim = b.sim();
  EngineAttribEnum_var mode = sim.simulationMode->SimulationMode();

  // Profile mode without legs, then an invalid configuration; a valid one frees only its own.
  b.PinLegNumber(1, 0);
  mode->Set(b.client.Id(), 1);
  EXPECT_EQ("No profile legs defined", b.mc.Group(LockGroup::SIMRUN).Reason());
  b.mc.radaltIsValidConfigPublished("topic", false);
  b.mc.radaltIsValidConfigPublished("topic", true);
  EXPECT_EQ("No profile legs defined", b.mc.Group(LockGroup::SIMRUN).Reason());

  // An altitude-indicator zero; its abort leaves the missing legs' lock.
  EngineAttribVoid_var start = sim.startAltIndZero->StartAltIndZero();
  EngineAttribVoid_var abort = sim.abortAltIndZero->AbortAltIndZero();
  start->Execute(b.client.Id());
  abort->Execute(b.client.Id());
  EXPECT_EQ("No profile legs defined", b.mc.Group(LockGroup::SIMRUN).Reason());

  // A mode change during an altitude-indicator zero leaves the zero's lock: no run starts.
  mode->Set(b.client.Id(), 0);
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
  start->Execute(b.client.Id());
  mode->Set(b.client.Id(), 1);
  mode->Set(b.client.Id(), 0);
  EXPECT_EQ("Altitude Indicator Zero active", b.mc.Group(LockGroup::SIMRUN).Reason());
  EngineAttribBoolean_var run = sim.runStopTest->RunStopTest();
  EXPECT_THROW(run->Set(b.client.Id(), true), Locking_Error);
  abort->Execute(b.client.Id());
  EXPECT_TRUE(b.Free(LockGroup::SIMRUN));
}

// Stopped, pause and resume leave the current altitude's "not running" lock; after a stop
// it is back; during a run the ramp settings refuse with the run's texts.
TEST(RunStop, ReadingsFollowTheRunState) {
  Bench b({1});
  b.SetEnabled(1);
  auto& sim = b.sim();
  EngineAttribBoolean_var run = sim.runStopTest->RunStopTest();
  EngineAttribBoolean_var pause = sim.pauseResumeTest->PauseResumeTest();
  pause->Set(b.client.Id(), true);
  pause->Set(b.client.Id(), false);
  EXPECT_EQ("Simulation not running", b.mc.Group(LockGroup::CURRENTALT).Reason());

  run->Set(b.client.Id(), true);
  EXPECT_EQ("Simulation not paused", b.mc.Group(LockGroup::CURRENTALT).Reason());
  EngineAttribValueDouble_var start = sim.currentStartAltitudeChan1->CurrentStartAltitudeChan1();
  const auto refused = Catch<Locking_Error>([&] { start->Set(b.client.Id(), WithVal(start->Get(), 5.0)); });
  EXPECT_STREQ("Simulation is running", refused.reason.in());
  EXPECT_STREQ(kRunningMessage, refused.message.in());

  run->Set(b.client.Id(), false);
  EXPECT_EQ("Simulation not running", b.mc.Group(LockGroup::CURRENTALT).Reason());
}
