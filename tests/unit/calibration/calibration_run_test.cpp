// The calibration run's state machine against fake ports: what a run holds and when it gives
// it back, abort in every state, the step handshake on a fake clock, save, a start that fails
// part way, and what the pollers decide from the engines' reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>

#include "CalibrationRun.h"

namespace {

using radalt::CalHold;
using radalt::CalKind;
using radalt::CalOp;
using radalt::EngineState;

struct Refusal { std::string op, text; };
struct EngineFailed : std::runtime_error { using std::runtime_error::runtime_error; };

const char* const kOps[] = {"start", "step", "save", "abort"};

// The lock groups, engines, readings and clock of a run, and a record of what it did to them.
class FakePorts : public radalt::CalibrationPorts {
 public:
  int enabled = 2;
  std::set<int> gone;                       // channels without an engine
  std::map<int, long> currentStep;          // each engine's current step
  long stepAdvance = 1;                     // how far a step command moves an engine on
  std::set<std::pair<CalOp, int>> failing;  // commands an engine fails
  std::map<int, EngineState> reports;       // each engine's running reading (unset: running)
  bool selftestLockFails = false, valuesFail = false;
  std::function<void()> onSleep;
  std::chrono::steady_clock::time_point now{};

  std::map<CalHold, std::string> held;  // hold -> reason
  std::vector<std::string> events, lines;
  unsigned buttons = 0, pollerId = 0;
  std::map<CalKind, bool> running;

  void Take(CalHold h, const std::string& reason, const std::string&) override {
    if (h == CalHold::SelftestEngine && selftestLockFails) throw EngineFailed("self-test engine");
    held[h] = reason;
    events.push_back("take");
  }
  void Release(CalHold h) override { held.erase(h); events.push_back("release"); }
  void ShowButtons(unsigned code) override { buttons = code; }
  bool Running(CalKind k) override { return running[k]; }
  void ShowRunning(CalKind k, bool r) override {
    running[k] = r;
    events.push_back(r ? "running 1" : "running 0");
  }
  void ShowResult(CalKind) override { events.push_back("result"); }
  void ShowEngineValues(CalKind, CalOp, int) override {
    if (valuesFail) throw EngineFailed("values");
  }
  int EnabledCount() const override { return enabled; }
  int FactoryChannel(CalKind, CalOp) override { return 1; }
  bool HasEngine(int ch) override { return !gone.count(ch); }
  void Execute(CalKind, CalOp op, int ch) override {
    if (failing.count({op, ch})) throw EngineFailed(kOps[static_cast<int>(op)]);
    events.push_back(std::string(kOps[static_cast<int>(op)]) + " " + std::to_string(ch));
    if (op == CalOp::Step) currentStep[ch] += stepAdvance;
  }
  long CurrentStep(CalKind, int ch) override { return currentStep[ch]; }
  EngineState EngineRunning(CalKind, int ch) override { return reports[ch]; }
  void StartPoller(CalKind, unsigned id, const std::vector<int>&, std::chrono::microseconds) override {
    pollerId = id;
    events.push_back("poller");
  }
  void StopPoller(CalKind) override { events.push_back("stop poller"); }
  [[noreturn]] void Refuse(const std::string& op, const std::string& text) override { throw Refusal{op, text}; }
  void Log(const std::string& line, bool) override { lines.push_back(line); }
  std::chrono::steady_clock::time_point Now() override { return now; }
  void Sleep(std::chrono::microseconds d) override {
    now += d;
    if (onSleep) onSleep();
  }

  std::size_t Count(const std::string& e) const { return std::count(events.begin(), events.end(), e); }
  std::size_t Index(const std::string& e) const { return std::find(events.begin(), events.end(), e) - events.begin(); }
};

class Run : public ::testing::Test {
 protected:
  FakePorts ports;
  radalt::CalibrationRun run{ports};

  // What fn refused with (fails when it was not refused).
  Refusal Refused(const std::function<void()>& fn) {
    try {
      fn();
    } catch (const Refusal& r) {
      return r;
    }
    ADD_FAILURE() << "not refused";
    return {};
  }
  void ExpectAllGiven() {
    EXPECT_TRUE(ports.held.empty());
    EXPECT_EQ(ports.buttons, 0u);
    EXPECT_FALSE(run.Active());
  }
};

// ---- what a run holds --------------------------------------------------------------------------

TEST_F(Run, AStartHoldsEveryGroupAndTheSelftestEngineBeforeAnyEngineIsTold) {
  run.Start(CalKind::RxCw);
  ASSERT_EQ(ports.held.size(), static_cast<std::size_t>(CalHold::Count));
  for (const auto& [hold, reason] : ports.held) EXPECT_EQ(reason, "RX CW Calibration active");
  EXPECT_EQ(ports.buttons, 1u);
  EXPECT_EQ(ports.Index("start 1"), ports.Count("take")) << "every hold is taken before an engine is told";

  const Refusal second = Refused([&] { run.Start(CalKind::Tcxo); });
  EXPECT_EQ(second.op, "StartTCXOCalCallback");
  EXPECT_EQ(second.text, "Cannot start a calibration since another calibration is active");
  EXPECT_TRUE(run.Active(CalKind::RxCw));
  EXPECT_EQ(ports.held.size(), static_cast<std::size_t>(CalHold::Count)) << "the first run keeps its holds";
  EXPECT_EQ(ports.buttons, 1u);
}

TEST_F(Run, AStartWithoutItsHoldsOrChannelsLeavesNothingTakenAndTellsNoEngine) {
  ports.selftestLockFails = true;
  EXPECT_THROW(run.Start(CalKind::TxPower), EngineFailed);
  ExpectAllGiven();
  ports.enabled = 0;
  EXPECT_EQ(Refused([&] { run.Start(CalKind::User); }).text,
            "Cannot start a user calibration since no channel is enabled");
  ExpectAllGiven();
  EXPECT_EQ(ports.Count("start 1"), 0u);
}

TEST_F(Run, AnOldRunsPollerEndingLateLeavesTheNextRunItsHolds) {
  run.Start(CalKind::User);
  const unsigned userRun = ports.pollerId;
  run.Abort();
  run.Start(CalKind::RxCw);
  EXPECT_TRUE(run.PollerDone(CalKind::User, userRun));
  run.PollerEnd(CalKind::User, userRun);
  EXPECT_TRUE(run.Active(CalKind::RxCw));
  EXPECT_EQ(ports.held.size(), static_cast<std::size_t>(CalHold::Count));
  EXPECT_EQ(ports.Count("result"), 0u) << "no result shown for a run that was aborted";
}

// ---- abort in every state ----------------------------------------------------------------------

TEST_F(Run, AnAbortOfEveryKindReachesTheRunsChannelsAndGivesBackEverything) {
  for (std::size_t k = 0; k < radalt::kCalKindCount; ++k) {
    const CalKind kind = static_cast<CalKind>(k);
    SCOPED_TRACE(k);
    ports.events.clear();
    run.Start(kind);
    run.Abort();
    EXPECT_EQ(ports.Count("abort 1"), 1u);
    EXPECT_EQ(ports.Count("abort 2"), kind == CalKind::User ? 1u : 0u) << "a factory kind runs on one channel";
    if (kind == CalKind::Loopback) {
      // The engine stops by itself; its poller gives the holds back once it reports so.
      EXPECT_TRUE(run.Active());
      ports.reports[1] = EngineState::Stopped;
      run.RefreshRunning(kind, {1});
      ASSERT_TRUE(run.PollerDone(kind, ports.pollerId));
      run.PollerEnd(kind, ports.pollerId);
    }
    ExpectAllGiven();
    const std::size_t before = ports.events.size();
    run.Abort();
    EXPECT_EQ(ports.events.size(), before) << "nothing active: nothing sent";
  }
}

// ---- steps and saves ---------------------------------------------------------------------------

TEST_F(Run, AStepWaitsForTheEngineWithinItsBoundOrUntilAnAbortButAnRfdmStepIsNotWaitedFor) {
  run.Start(CalKind::TxPower);
  ports.stepAdvance = 2;  // an engine that moved on by two confirms the step too
  EXPECT_NO_THROW(run.Step(CalKind::TxPower));

  ports.stepAdvance = 0;
  const auto start = ports.now;
  const Refusal late = Refused([&] { run.Step(CalKind::TxPower); });
  EXPECT_EQ(late.op, "DoTxCalStepCallback");
  EXPECT_EQ(late.text, "The engine did not complete the calibration step in time");
  EXPECT_GE(ports.now - start, radalt::CalibrationTiming().stepTimeout);
  EXPECT_TRUE(run.Active()) << "the calibration stands, so that it can be aborted";
  // An abort while a step waits ends the wait with a refusal.
  ports.onSleep = [&] { run.Abort(); };
  EXPECT_EQ(Refused([&] { run.Step(CalKind::TxPower); }).text,
            "The calibration ended before the engine completed the step");
  ExpectAllGiven();

  // An RFDM step is not waited for.
  run.Start(CalKind::Rfdm);
  EXPECT_TRUE(ports.running[CalKind::Rfdm]);
  EXPECT_NO_THROW(run.Step(CalKind::Rfdm));
  run.Save(CalKind::Rfdm);
  EXPECT_FALSE(ports.running[CalKind::Rfdm]) << "the RFDM running reading goes with the run";
}

TEST_F(Run, ASaveNeedsARunOfItsKindAndEndsIt) {
  const Refusal none = Refused([&] { run.Save(CalKind::TxPower); });
  EXPECT_EQ(none.op, "SaveTxCalCallback");
  EXPECT_EQ(none.text, "Cannot save since no TX calibration is active");
  run.Start(CalKind::RxCw);
  EXPECT_EQ(Refused([&] { run.Save(CalKind::Tcxo); }).text, "Cannot save since no TCXO calibration is active");
  EXPECT_EQ(ports.Count("save 1"), 0u);
  EXPECT_TRUE(run.Active(CalKind::RxCw));
  run.Save(CalKind::RxCw);
  ExpectAllGiven();
  EXPECT_EQ(ports.Count("result"), 1u);
}

// ---- starts that fail --------------------------------------------------------------------------

TEST_F(Run, AStartFailingPartWayAbortsTheEnginesThatStartedAndEndsTheRunOnlyThen) {
  ports.enabled = 3;
  ports.failing = {{CalOp::Start, 2}};
  EXPECT_THROW(run.Start(CalKind::User), EngineFailed);
  EXPECT_EQ(ports.Count("abort 1"), 1u);
  EXPECT_EQ(ports.Count("abort 2") + ports.Count("abort 3") + ports.Count("start 3"), 0u);
  ExpectAllGiven();

  ports.failing = {{CalOp::Start, 2}, {CalOp::Abort, 1}};
  try {
    run.Start(CalKind::User);
    ADD_FAILURE() << "not refused";
  } catch (const EngineFailed& e) {
    EXPECT_STREQ(e.what(), "start") << "the start's failure reaches the writer, not the abort's";
  }
  EXPECT_EQ(ports.lines,
            std::vector<std::string>{"CALIBRATION::StartUserCalCallback: abort after a failed start failed"});
  ExpectAllGiven();

  // Once every engine started, a failure (of the start, a step or a save) leaves the run
  // standing, so that abort works.
  ports.failing.clear();
  ports.valuesFail = true;
  EXPECT_THROW(run.Start(CalKind::TxPower), EngineFailed);
  ports.valuesFail = false;
  ports.failing = {{CalOp::Step, 1}, {CalOp::Save, 1}};
  EXPECT_THROW(run.Step(CalKind::TxPower), EngineFailed);
  EXPECT_THROW(run.Save(CalKind::TxPower), EngineFailed);
  EXPECT_TRUE(run.Active(CalKind::TxPower));
  EXPECT_EQ(ports.held.size(), static_cast<std::size_t>(CalHold::Count));
  run.Abort();
  ExpectAllGiven();
}

// ---- pollers and engines that go -------------------------------------------------------------

TEST_F(Run, TheLoopbackPollerEndsTheRunOnceTheEngineStopsOrGoes) {
  for (bool engineGoes : {false, true}) {
    ports.gone.clear();
    ports.events.clear();
    run.Start(CalKind::Loopback);
    EXPECT_LT(ports.Index("stop poller"), ports.Index("running 1"));
    EXPECT_LT(ports.Index("running 1"), ports.Index("poller")) << "shown running before its poller looks";
    ports.reports[1] = EngineState::Running;
    run.RefreshRunning(CalKind::Loopback, {1});
    EXPECT_FALSE(run.PollerDone(CalKind::Loopback, ports.pollerId));
    if (engineGoes) ports.gone.insert(1);
    else ports.reports[1] = EngineState::Stopped;
    run.RefreshRunning(CalKind::Loopback, {1});
    ASSERT_TRUE(run.PollerDone(CalKind::Loopback, ports.pollerId));
    run.PollerEnd(CalKind::Loopback, ports.pollerId);
    EXPECT_LT(ports.Index("result"), ports.Index("release")) << "the result shows before the holds go";
    ExpectAllGiven();
  }
}

TEST_F(Run, AnEngineGoingEndsAFactoryCalibrationAndAUserCalibrationOnlyWithItsLastEngine) {
  run.Start(CalKind::Loopback);
  run.ChannelsChanged();
  EXPECT_TRUE(run.Active()) << "its engine is still there";
  ports.gone.insert(1);
  run.ChannelsChanged();
  EXPECT_EQ(ports.lines, std::vector<std::string>{" CALIBRATION: channel 1 gone, loopback calibration ended"});
  EXPECT_FALSE(ports.running[CalKind::Loopback]);
  ExpectAllGiven();

  run.Start(CalKind::User);
  run.ChannelsChanged();
  ports.reports[2] = EngineState::Running;
  run.RefreshRunning(CalKind::User, {1, 2});
  EXPECT_FALSE(run.PollerDone(CalKind::User, ports.pollerId)) << "channel 2 still calibrates";
  ports.reports[2] = EngineState::Gone;
  run.RefreshRunning(CalKind::User, {1, 2});
  ASSERT_TRUE(run.PollerDone(CalKind::User, ports.pollerId));
  run.PollerEnd(CalKind::User, ports.pollerId);
  ExpectAllGiven();
}

}  // namespace
