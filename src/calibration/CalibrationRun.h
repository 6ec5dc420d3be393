// The run of a calibration as a state machine: which kind is active on which channels, the
// holds it takes before any engine calibrates and gives back when it ends, the step handshake,
// save and abort, and what the pollers of the self-running kinds decide from the engines'
// reports. It reaches the lock groups, the engines, the attributes and the log only through
// CalibrationPorts: CALIBRATION implements them with the master control's calls, the unit
// tests with a fake. Nothing here knows the middleware.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace radalt {

// The calibration kinds, in the order their start attributes join "CALRUN".
enum class CalKind : std::size_t { RxCw, RxPulse, Tcxo, TxPower, Loopback, Rfdm, User, Count };
constexpr std::size_t kCalKindCount = static_cast<std::size_t>(CalKind::Count);

// How long the master control waits for the engines, and how often it looks.
struct CalibrationTiming {
  // Longest wait for an engine to confirm a step; then the step is refused.
  std::chrono::milliseconds stepTimeout{5000};
  // Pause between two looks at the engine's current step.
  std::chrono::microseconds stepPoll{100000};
  // Periods of the loopback and user-calibration pollers.
  std::chrono::microseconds loopbackPeriod{500000};
  std::chrono::microseconds userPeriod{250000};
};

// What a run holds as the activity "calibration": the nine lock groups, in the order they are
// taken, and the self-test engine.
enum class CalHold : std::size_t {
  SIMRUN, DIAGTXOUTPUT, DIAGTXATTENOUTPUT, DIAGRXMEASURING, DIAGLOOPBACKOUTPUT,
  DIAGLOOPBACKMEASURING, DIAGPASSTHRURUNNING, ALTZERORUN, CALRUN, SelftestEngine, Count
};
constexpr std::size_t kCalGroupCount = static_cast<std::size_t>(CalHold::SelftestEngine);

// The operations of a run, as they reach an engine.
enum class CalOp { Start, Step, Save, Abort };

// What a look at an engine's running reading found: an engine that has gone (or does not
// answer) calibrates no more.
enum class EngineState { Running, Stopped, Gone };

// What the run knows of a kind: its name in refusals, the names of its operations in the log
// lines (null: the kind has none), the texts of its holds, its button code, and whether the
// engine confirms each step by moving its current step on.
struct CalKindRules {
  const char* name;
  const char* startOp;
  const char* stepOp;
  const char* saveOp;
  const char* reason;
  const char* message;
  unsigned code;
  bool confirmsSteps;
};
const CalKindRules& Rules(CalKind kind);
// The operation's name in log lines ("AbortCalibrationCallback" for an abort).
const char* OpName(CalKind kind, CalOp op);

// The outside world of a run. kind is CalKind::Count where an operation belongs to no kind
// (the channel check of an abort).
class CalibrationPorts {
 public:
  virtual ~CalibrationPorts() = default;

  // The holds of the activity "calibration".
  virtual void Take(CalHold hold, const std::string& reason, const std::string& message) = 0;
  virtual void Release(CalHold hold) = 0;

  // What clients see: the button code, the running readings of the loopback, RFDM and user
  // calibrations, a kind's result over the enabled channels, and the engine's values an
  // operation changed (TCXO DAC, TX attenuators).
  virtual void ShowButtons(unsigned code) = 0;
  virtual bool Running(CalKind kind) = 0;
  virtual void ShowRunning(CalKind kind, bool running) = 0;
  virtual void ShowResult(CalKind kind) = 0;
  virtual void ShowEngineValues(CalKind kind, CalOp op, int channel) = 0;

  // Channels and engines. FactoryChannel refuses a factory calibration channel that is not
  // enabled or not local. Execute runs the kind's command for op on channel's engine; an abort
  // that finds the engine gone passes it over.
  virtual int EnabledCount() const = 0;
  virtual int FactoryChannel(CalKind kind, CalOp op) = 0;
  virtual bool HasEngine(int channel) = 0;
  virtual void Execute(CalKind kind, CalOp op, int channel) = 0;
  virtual long CurrentStep(CalKind kind, int channel) = 0;
  virtual EngineState EngineRunning(CalKind kind, int channel) = 0;

  // The pollers of the self-running kinds (loopback, user); a start stops the kind's previous
  // poller first.
  virtual void StartPoller(CalKind kind, unsigned id, const std::vector<int>& channels,
                           std::chrono::microseconds period) = 0;
  virtual void StopPoller(CalKind kind) = 0;

  // A refusal of op (a Settings_Conflict with text); never returns.
  [[noreturn]] virtual void Refuse(const std::string& op, const std::string& text) = 0;
  // A line of standard output, or of standard error.
  virtual void Log(const std::string& line, bool error) = 0;

  // The clock of the step handshake.
  virtual std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }
  virtual void Sleep(std::chrono::microseconds d);
};

class CalibrationRun {
 public:
  explicit CalibrationRun(CalibrationPorts& ports) : ports_(ports) {}
  CalibrationRun(const CalibrationRun&) = delete;
  CalibrationRun& operator=(const CalibrationRun&) = delete;

  void SetTiming(const CalibrationTiming& timing);
  // Whether a calibration is active, and of which kind.
  bool Active() const;
  bool Active(CalKind kind) const;

  // A start takes the holds before any engine is told; one that fails part way aborts the
  // engines that had started and ends the run. Once every engine started, a failure leaves
  // the run (and its holds) standing, so that abort works.
  void Start(CalKind kind);
  // The engine's step command, then (for the kinds that confirm steps) the wait until its
  // current step is at least one beyond what it was, bounded by the step timeout.
  void Step(CalKind kind);
  // Refused unless a calibration of kind is active; ends the run and shows the result.
  void Save(CalKind kind);
  // Aborts the active calibration on the channels it started on (the loopback calibration is
  // ended by its poller once the engine reports it stopped).
  void Abort();
  // A channel engine came or went: a factory calibration whose engine has gone ends.
  void ChannelsChanged();

  // The pollers: refresh kind's running reading from the engines of channels (running while
  // any of them runs), whether run id is over, and its end (result shown, then the holds go).
  void RefreshRunning(CalKind kind, const std::vector<int>& channels);
  bool PollerDone(CalKind kind, unsigned id) const;
  void PollerEnd(CalKind kind, unsigned id);

 private:
  // One active calibration: its kind, the channels its engines calibrate on, whether it
  // locked the self-test engine. id 0: none.
  struct Run {
    unsigned id = 0;
    const CalKindRules* rules = nullptr;
    CalKind kind = CalKind::Count;
    std::vector<int> channels;
    bool selftestLocked = false;
  };

  Run Current() const;
  CalibrationTiming Timing() const;
  // Makes a calibration of kind on channels active: takes its holds and shows its code.
  // Refuses while another is active. Returns the run's id.
  unsigned Begin(CalKind kind, const std::vector<int>& channels);
  // Ends run id when it is still the active one: gives back exactly what it took, code 0.
  // A late caller (an ended run) changes nothing. Returns whether it ended the run.
  bool End(unsigned id);
  void AbortOn(CalKind kind, const std::vector<int>& channels);
  void TakeAll(Run& run);
  void ReleaseAll(Run& run);

  CalibrationPorts& ports_;
  mutable std::mutex mutex_;  // run_, nextId_, timing_
  Run run_;
  unsigned nextId_ = 0;
  CalibrationTiming timing_;
};

}  // namespace radalt
