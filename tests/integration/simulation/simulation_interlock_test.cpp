// Run/stop and pause/resume as the test set's interlock, and the altitude-indicator zero: each
// state, each transition, and every lock group they take and release.
#include <chrono>
#include <exception>
#include <thread>

#include "CALIBRATION.h"
#include "RUN_STOP_TEST.h"
#include "SIMULATION_MODE.h"
#include "START_ALT_IND_ZERO.h"
#include "SimBench.h"

using namespace simbench;
using Operation_errors::Locking_Error;

namespace {

const char* const kRunningMessage = "Locked because a simulation is running. Stop the simulation";
const char* const kZeroMessage = "Locked because altitude indicator zero function is active. Abort the function";
const LockGroup kDiagnostics[] = {LockGroup::DIAGTXOUTPUT,          LockGroup::DIAGTXATTENOUTPUT,
                                  LockGroup::DIAGRXMEASURING,       LockGroup::DIAGLOOPBACKOUTPUT,
                                  LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING};

// A client writes run to RUNSTOPTEST. Returns the reason SIMRUN showed while the write
// settled ("" when it took no settle lock).
std::string WriteRunStop(Bench& b, bool run) {
  auto attr = b.Attr<EngineAttribBoolean>("RUNSTOPTEST");
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
  Bench b({1, 2}, FreshRoot(), true);
  auto& sim = b.sim();
  auto run = b.Attr<EngineAttribBoolean>("RUNSTOPTEST");
  auto pause = b.Attr<EngineAttribBoolean>("PAUSERESUMETEST");
  auto current = b.Attr<EngineAttribValueDouble>("CH1CURALT");

  // Stopped: only the current altitude is fixed, and pause and resume leave it so.
  EXPECT_FALSE(run->Get());
  pause->Set(b.client.Id(), true);
  pause->Set(b.client.Id(), false);
  EXPECT_STREQ("Simulation not running",
               Catch<Locking_Error>([&] { current->Set(b.client.Id(), WithVal(current->Get(), 10.0)); }).reason.in());
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
  for (LockGroup g : {LockGroup::MANUALTEST, LockGroup::SETTINGS}) EXPECT_TRUE(b.HeldByMc(g));
  EXPECT_EQ("Simulation not paused", b.mc.Group(LockGroup::CURRENTALT).Reason());
  for (LockGroup g : kDiagnostics) EXPECT_EQ(kRunningMessage, b.mc.Group(g).Message());
  for (LockGroup g : {LockGroup::ALTZERORUN, LockGroup::CALRUN})
    EXPECT_EQ(std::string("Simulation is running | ") + kRunningMessage, b.Reason(g) + " | " + b.Message(g));
  EXPECT_EQ(12u, CalButtons(b));
  EXPECT_EQ(std::string("lock: ") + kRunningMessage, b.LastSelftestRequest());

  // What a running simulation refuses to clients.
  auto start = b.Attr<EngineAttribValueDouble>("CH1CURSTARTALT");
  const auto refused = Catch<Locking_Error>([&] { start->Set(b.client.Id(), WithVal(start->Get(), 5.0)); });
  EXPECT_STREQ("Simulation is running", refused.reason.in());
  EXPECT_STREQ(kRunningMessage, refused.message.in());
  // (The mode it refuses: locks_test's table.) A refused zero reaches no engine.
  const unsigned long calls = b.Engine(1).Calls();
  EXPECT_THROW(b.Exec("STARTALTINDZERO"), Locking_Error);
  EXPECT_EQ(calls, b.Engine(1).Calls());

  // Paused, the current altitude may change; resumed, it is fixed again.
  pause->Set(b.client.Id(), true);
  EXPECT_TRUE(b.Free(LockGroup::CURRENTALT));
  EXPECT_TRUE(b.EngineItem<EngineAttribBoolean>(2, "PAUSERESUMETEST")->Get());
  current->Set(b.client.Id(), WithVal(current->Get(), 250.0));
  EXPECT_DOUBLE_EQ(250.0, b.EngineNumber(1, "CURALT"));
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
  // (Every hold it took given back: locks_test.)
  EXPECT_EQ("Simulation not running", b.mc.Group(LockGroup::CURRENTALT).Reason());
  EXPECT_EQ(0u, CalButtons(b));
  EXPECT_EQ("unlock", b.LastSelftestRequest());

  // While another activity holds SIMRUN, the same value again starts or stops nothing and
  // leaves that hold as it was.
  b.mc.TakeGroup(LockGroup::SIMRUN, "Held", "Locked because held");
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
  Output([&] {
    auto e = Catch<Operation_errors::Settings_Conflict>([&] { b.sim().runStopTest->RunStopTestCallback(true); });
    EXPECT_STREQ("No enabled channels", e.text.in());
  });
  EXPECT_EQ(calls, b.Engine(1).Calls());
}

TEST(RunStop, StartGoesByTheMasterControlsUutDetectionNotByChannelOnesEngine) {
  Bench b({1});
  auto& detection = dynamic_cast<EngineAttribEnum_i&>(*b.mc.Gui().Local("UUTDETECT"));
  auto& engineDetection = dynamic_cast<EngineAttribEnum_i&>(b.Engine(1).Servant("UUTDETECT"));

  // A detection mode the master control does not know refuses the start, whatever the engine holds.
  detection = 7;
  engineDetection = 1;
  Output([&] {
    auto e = Catch<Runtime_errors::Unhandled_switch>([&] { b.sim().runStopTest->RunStopTestCallback(true); });
    EXPECT_STREQ("RunStopTestCallback - uut_autodetect", e.text.in());
  });
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
  Bench b({1, 2}, FreshRoot(), true);
  auto& sim = b.sim();
  auto start = b.Attr<EngineAttribVoid>("STARTALTINDZERO");
  auto save = b.Attr<EngineAttribVoid>("SAVEALTINDZERO");
  auto abort = b.Attr<EngineAttribVoid>("ABORTALTINDZERO");
  const unsigned long calls1 = b.Engine(1).Calls(), calls2 = b.Engine(2).Calls();

  start->Execute(b.client.Id());
  EXPECT_EQ(calls1 + 1, b.Engine(1).Calls());
  EXPECT_EQ(calls2 + 1, b.Engine(2).Calls());
  for (LockGroup g : {LockGroup::SIMRUN, LockGroup::CALRUN})
    EXPECT_EQ(std::string("Altitude Indicator Zero active | ") + kZeroMessage, b.Reason(g) + " | " + b.Message(g));
  for (LockGroup g : kDiagnostics) EXPECT_EQ(kZeroMessage, b.mc.Group(g).Message());
  EXPECT_TRUE(b.Free(LockGroup::ALTZERORUN));
  EXPECT_EQ(14u, CalButtons(b));
  EXPECT_EQ(std::string("lock: ") + kZeroMessage, b.LastSelftestRequest());

  abort->Execute(b.client.Id());  // (every hold given back: locks_test)
  EXPECT_EQ(0u, CalButtons(b));
  EXPECT_EQ("unlock", b.LastSelftestRequest());

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
