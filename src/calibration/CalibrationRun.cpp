#include "CalibrationRun.h"

#include <thread>

#include "CalibrationButtonCodes.h"

namespace radalt {

namespace {

const CalKindRules kRules[kCalKindCount] = {
    {"RX CW", "StartRxCWCalCallback", "DoRxCWCalStepCallback", "SaveRxCWCalCallback", "RX CW Calibration active",
     "Locked because a RX CW calibration is active. Abort the calibration", CALBUTTONS_RXCW_CAL, true},
    {"RX pulse", "StartRxPulseCalCallback", "DoRxPulseCalStepCallback", "SaveRxPulseCalCallback",
     "RX Pulse Calibration active", "Locked because a RX pulse calibration is active. Abort the calibration",
     CALBUTTONS_RXPULSE_CAL, true},
    {"TCXO", "StartTCXOCalCallback", nullptr, "SaveTCXOCalCallback", "TCXO Calibration active",
     "Locked because a TCXO calibration is active. Abort the calibration", CALBUTTONS_TCXO_CAL, false},
    {"TX", "StartTxPowerCalCallback", "DoTxCalStepCallback", "SaveTxCalCallback", "TX Calibration active",
     "Locked because a TX calibration is active. Abort the calibration", CALBUTTONS_TXPOWER_CAL, true},
    {"loopback", "StartLoopbackCalCallback", nullptr, nullptr, "Loopback Calibration active",
     "Locked because a loopback calibration is active. Abort the calibration", CALBUTTONS_LOOPBACK_CAL, false},
    {"RFDM", "StartRFDMCalCallback", "DoRFDMCalStepCallback", "SaveRFDMCalCallback", "RFDM Calibration active",
     "Locked because a RFDM calibration is active. Abort the calibration", CALBUTTONS_RFDM_CAL, false},
    {"delay", "StartUserCalCallback", nullptr, nullptr, "Delay Calibration active",
     "Locked because a delay calibration is active. Abort the calibration", CALBUTTONS_USER_CAL, false},
};

// Released first, before the buttons show free; then the rest.
const CalHold kReleaseFirst[] = {CalHold::SIMRUN, CalHold::ALTZERORUN, CalHold::CALRUN};
const CalHold kReleaseThen[] = {CalHold::DIAGTXOUTPUT,       CalHold::DIAGTXATTENOUTPUT,
                                CalHold::DIAGRXMEASURING,    CalHold::DIAGLOOPBACKOUTPUT,
                                CalHold::DIAGLOOPBACKMEASURING, CalHold::DIAGPASSTHRURUNNING};

}  // namespace

const CalKindRules& Rules(CalKind kind) { return kRules[static_cast<std::size_t>(kind)]; }

const char* OpName(CalKind kind, CalOp op) {
  switch (op) {
    case CalOp::Start: return Rules(kind).startOp;
    case CalOp::Step: return Rules(kind).stepOp;
    case CalOp::Save: return Rules(kind).saveOp;
    case CalOp::Abort: break;
  }
  return "AbortCalibrationCallback";
}

void CalibrationPorts::Sleep(std::chrono::microseconds d) { std::this_thread::sleep_for(d); }

// ---- the run and its holds -------------------------------------------------------------------

void CalibrationRun::SetTiming(const CalibrationTiming& timing) {
  std::lock_guard<std::mutex> lock(mutex_);
  timing_ = timing;
}

CalibrationTiming CalibrationRun::Timing() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timing_;
}

CalibrationRun::Run CalibrationRun::Current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return run_;
}

bool CalibrationRun::Active() const { return Current().rules != nullptr; }

bool CalibrationRun::Active(CalKind kind) const {
  const Run run = Current();
  return run.rules && run.kind == kind;
}

void CalibrationRun::TakeAll(Run& run) {
  // A group another locker holds stays with it; the calibration's own holds go with it.
  for (std::size_t g = 0; g < kCalGroupCount; ++g)
    ports_.Take(static_cast<CalHold>(g), run.rules->reason, run.rules->message);
  run.selftestLocked = true;
  ports_.Take(CalHold::SelftestEngine, run.rules->reason, run.rules->message);
}

void CalibrationRun::ReleaseAll(Run& run) {
  for (CalHold h : kReleaseFirst) ports_.Release(h);
  ports_.ShowButtons(CALBUTTONS_FREE);
  for (CalHold h : kReleaseThen) ports_.Release(h);
  if (!run.selftestLocked) return;
  run.selftestLocked = false;
  ports_.Release(CalHold::SelftestEngine);
}

unsigned CalibrationRun::Begin(CalKind kind, const std::vector<int>& channels) {
  const CalKindRules& k = Rules(kind);
  std::lock_guard<std::mutex> lock(mutex_);
  if (run_.rules) ports_.Refuse(k.startOp, "Cannot start a calibration since another calibration is active");
  Run run;
  run.id = ++nextId_;
  run.rules = &k;
  run.kind = kind;
  run.channels = channels;
  try {
    TakeAll(run);
  } catch (...) {
    ReleaseAll(run);
    throw;
  }
  ports_.ShowButtons(k.code);
  run_ = run;
  return run.id;
}

bool CalibrationRun::End(unsigned id) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!run_.rules || run_.id != id) return false;
  const CalKind kind = run_.kind;
  ReleaseAll(run_);
  run_ = Run();
  if (kind == CalKind::Rfdm) ports_.ShowRunning(CalKind::Rfdm, false);
  return true;
}

void CalibrationRun::AbortOn(CalKind kind, const std::vector<int>& channels) {
  for (int ch : channels)
    if (ports_.HasEngine(ch)) ports_.Execute(kind, CalOp::Abort, ch);
}

// ---- the operations --------------------------------------------------------------------------

void CalibrationRun::Start(CalKind kind) {
  const CalKindRules& k = Rules(kind);
  std::vector<int> channels;
  if (kind == CalKind::User) {
    const int n = ports_.EnabledCount();
    if (n < 1) ports_.Refuse(k.startOp, "Cannot start a user calibration since no channel is enabled");
    for (int ch = 1; ch <= n; ++ch) channels.push_back(ch);
  } else {
    channels.push_back(ports_.FactoryChannel(kind, CalOp::Start));
  }
  // The holds stand before any engine calibrates, so nothing calibrates without them.
  const unsigned id = Begin(kind, channels);
  std::vector<int> started;
  try {
    for (int ch : channels) {
      ports_.Execute(kind, CalOp::Start, ch);
      started.push_back(ch);
    }
  } catch (...) {
    // Part way through: the engines that started are aborted and the holds go again.
    try {
      AbortOn(kind, started);
    } catch (...) {
      ports_.Log(std::string("CALIBRATION::") + k.startOp + ": abort after a failed start failed", true);
    }
    End(id);
    throw;
  }
  // From here the engines calibrate: a failure leaves the holds standing, so abort works.
  ports_.ShowEngineValues(kind, CalOp::Start, channels.front());
  const CalibrationTiming timing = Timing();
  switch (kind) {
    case CalKind::Loopback:
      // A poller of an earlier run is gone before this run shows itself running.
      ports_.StopPoller(kind);
      ports_.ShowRunning(kind, true);
      ports_.StartPoller(kind, id, channels, timing.loopbackPeriod);
      break;
    case CalKind::Rfdm:
      ports_.ShowRunning(kind, true);
      break;
    case CalKind::User:
      ports_.StartPoller(kind, id, channels, timing.userPeriod);
      break;
    default:
      break;
  }
}

void CalibrationRun::Step(CalKind kind) {
  const CalKindRules& k = Rules(kind);
  const int ch = ports_.FactoryChannel(kind, CalOp::Step);
  if (k.confirmsSteps) {
    const long before = ports_.CurrentStep(kind, ch);
    const unsigned runId = Current().id;
    ports_.Execute(kind, CalOp::Step, ch);
    const CalibrationTiming timing = Timing();
    // The engine confirms the step by showing the next step number (or one beyond it).
    const auto deadline = ports_.Now() + timing.stepTimeout;
    while (ports_.CurrentStep(kind, ch) < before + 1) {
      if (runId != 0 && Current().id != runId)
        ports_.Refuse(k.stepOp, "The calibration ended before the engine completed the step");
      if (ports_.Now() >= deadline) ports_.Refuse(k.stepOp, "The engine did not complete the calibration step in time");
      ports_.Sleep(timing.stepPoll);
    }
  } else {
    ports_.Execute(kind, CalOp::Step, ch);
  }
  ports_.ShowEngineValues(kind, CalOp::Step, ch);
}

void CalibrationRun::Save(CalKind kind) {
  const CalKindRules& k = Rules(kind);
  const int ch = ports_.FactoryChannel(kind, CalOp::Save);
  const Run run = Current();
  if (!run.rules || run.kind != kind)
    ports_.Refuse(k.saveOp, std::string("Cannot save since no ") + k.name + " calibration is active");
  ports_.Execute(kind, CalOp::Save, ch);
  End(run.id);
  ports_.ShowResult(kind);
}

void CalibrationRun::Abort() {
  ports_.FactoryChannel(CalKind::Count, CalOp::Abort);
  const Run run = Current();
  if (!run.rules) return;
  AbortOn(run.kind, run.channels);
  // The loopback poller ends the calibration once the engine reports it stopped.
  if (run.kind == CalKind::Loopback) return;
  End(run.id);
}

void CalibrationRun::ChannelsChanged() {
  const Run run = Current();
  // A user calibration goes on on the other channels (its poller ends it); any other kind
  // ran on one channel alone and is over when that channel's engine has gone.
  if (!run.rules || run.kind == CalKind::User) return;
  const int channel = run.channels.front();
  if (ports_.HasEngine(channel)) return;
  ports_.Log(" CALIBRATION: channel " + std::to_string(channel) + " gone, " + run.rules->name + " calibration ended",
             false);
  if (run.kind == CalKind::Loopback) ports_.ShowRunning(CalKind::Loopback, false);
  End(run.id);
}

// ---- pollers ---------------------------------------------------------------------------------

void CalibrationRun::RefreshRunning(CalKind kind, const std::vector<int>& channels) {
  bool running = false;
  for (int ch : channels) {
    const EngineState state = ports_.HasEngine(ch) ? ports_.EngineRunning(kind, ch) : EngineState::Gone;
    if (state == EngineState::Running) {
      running = true;
      break;
    }
    // The loopback calibration's one engine gone: the calibration is over.
    if (state == EngineState::Gone && kind == CalKind::Loopback) {
      ports_.ShowRunning(kind, false);
      return;
    }
  }
  if (running != ports_.Running(kind)) ports_.ShowRunning(kind, running);
}

bool CalibrationRun::PollerDone(CalKind kind, unsigned id) const {
  return !ports_.Running(kind) || Current().id != id;
}

void CalibrationRun::PollerEnd(CalKind kind, unsigned id) {
  // The result shows before the holds go.
  if (Current().id == id) ports_.ShowResult(kind);
  End(id);
}

}  // namespace radalt
