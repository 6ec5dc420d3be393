// Factory and user calibration control. Every calibration step is a command of a channel
// engine; the master control chooses and checks the channel, locks out every other activity
// while a calibration is active, waits for the engine to confirm each step, ends the
// self-running calibrations when the engines report them finished, and shows the calibration
// results over all enabled channels. "CALBUTTONSLOCKED" tells the GUI which activity holds the
// calibration buttons. The run itself (what is active, what it holds, when it ends) is
// CalibrationRun's; this class holds the attributes and gives the run its ports: the lock
// groups, the engines' items and the pollers' threads.
#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "CalibrationButtonCodes.h"
#include "CalibrationPoller.h"
#include "CalibrationRun.h"
#include "EngineItems.h"
#include "LockGroups.h"
#include "MYGUIABLE.h"
#include "Services.h"
#include "persistence/PersistedValue.h"
#include "platform/EngineAttrib.h"

namespace radalt {

struct CalKindRow;
struct CalValidRow;
class Core;

// The activity whose holds a calibration takes on the lock groups and the self-test engine.
extern const Activity kCalibrationActivity;

}  // namespace radalt

class CALIBRATION : public radalt::CalibrationButtons,
                    public radalt::FactoryCalibrationChannel,
                    private radalt::CalibrationPorts {
 public:
  CALIBRATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);
  // Stops and joins the pollers.
  ~CALIBRATION() override;

  // CalibrationButtons
  void SetCalibrationButtonsLocked(unsigned code) override { setCalibrationButtonsLocked(code); }
  unsigned CalibrationButtonsLocked() const override { return static_cast<unsigned>(calButtonsLocked_.Value()); }
  // FactoryCalibrationChannel
  void KeepWithinEnabled(int enabled, const Velmarin::Locker_ID& who) override;

  // ---- remote accessors: own attributes, stored readings, aggregated readings, and the
  // factory calibration channel engine's own readings
  virtual Velmarin::EngineAttribVoid_ptr abortCalibration();
  virtual Velmarin::EngineReadingLong_ptr LoopbackCalPctComplete();
  virtual Velmarin::EngineReadingBoolean_ptr checkLoopbackCalRunning();
  virtual Velmarin::EngineReadingBoolean_ptr checkRFDMCalRunning();
  virtual Velmarin::EngineReadingBoolean_ptr checkUserCalRunning();
  virtual Velmarin::EngineAttribVoid_ptr DoRxCWCalStep();
  virtual Velmarin::EngineAttribVoid_ptr DoRFDMCalStep();
  virtual Velmarin::EngineAttribVoid_ptr DoRxPulseCalStep();
  virtual Velmarin::EngineAttribVoid_ptr DoTxCalStep();
  virtual Velmarin::EngineAttribLong_ptr FactoryCalibrationChannel() { return factoryChannel_._this(); }
  virtual Velmarin::EngineReadingLong_ptr RxCwCalADCInfo();
  virtual Velmarin::EngineReadingLong_ptr RxCwCalCurrentStep();
  virtual Velmarin::EngineAttribString_ptr RXCWCalDateTime();
  virtual Velmarin::EngineReadingValueDouble_ptr RxCwCalPromptFrequency();
  virtual Velmarin::EngineReadingValueDouble_ptr RxCwCalPromptPwrLevel();
  virtual Velmarin::EngineReadingLong_ptr RxCwCalTotalSteps();
  virtual Velmarin::EngineReadingBoolean_ptr RxCWCalValid();
  virtual Velmarin::EngineReadingLong_ptr RxPulseCalADCInfo();
  virtual Velmarin::EngineReadingLong_ptr RxPulseCalCurrentStep();
  virtual Velmarin::EngineAttribString_ptr RXPulseCalDateTime();
  virtual Velmarin::EngineReadingValueDouble_ptr RxPulseCalPromptPulseWidth();
  virtual Velmarin::EngineReadingLong_ptr RxPulseCalTotalSteps();
  virtual Velmarin::EngineReadingBoolean_ptr RxPulseCalValid();
  virtual Velmarin::EngineAttribVoid_ptr SaveRxCWCal();
  virtual Velmarin::EngineAttribVoid_ptr SaveRxPulseCal();
  virtual Velmarin::EngineAttribVoid_ptr SaveRFDMCal();
  virtual Velmarin::EngineAttribVoid_ptr SaveTCXOCal();
  virtual Velmarin::EngineAttribVoid_ptr SaveTxCal();
  virtual Velmarin::EngineAttribVoid_ptr StartRxCWCal();
  virtual Velmarin::EngineAttribVoid_ptr StartRxPulseCal();
  virtual Velmarin::EngineAttribVoid_ptr StartTCXOCal();
  virtual Velmarin::EngineAttribVoid_ptr StartTxPowerCal();
  virtual Velmarin::EngineAttribVoid_ptr StartLoopbackCal();
  virtual Velmarin::EngineAttribVoid_ptr StartRFDMCal();
  virtual Velmarin::EngineAttribVoid_ptr StartUserCal();
  virtual Velmarin::EngineAttribLong_ptr TCXOCalDacValue() { return tcxoDac_._this(); }
  virtual Velmarin::EngineAttribString_ptr TCXOCalDateTime();
  virtual Velmarin::EngineReadingBoolean_ptr TCXOCalValid();
  virtual Velmarin::EngineReadingLong_ptr TxCalCurrentStep();
  virtual Velmarin::EngineReadingLong_ptr RFDMCalCurrentStep();
  virtual Velmarin::EngineAttribString_ptr TxCalDateTime();
  virtual Velmarin::EngineReadingValueDouble_ptr TxCalPromptFrequency();
  virtual Velmarin::EngineReadingValueDouble_ptr TxCalPromptPwrLevel();
  virtual Velmarin::EngineReadingBoolean_ptr TxCalPromptTxRxAttenIsTx();
  virtual Velmarin::EngineReadingBoolean_ptr TxCalPromptUseSiggen();
  virtual Velmarin::EngineAttribLong_ptr TxCalRXVarAtten() { return txCalRxAtten_._this(); }
  virtual Velmarin::EngineReadingLong_ptr TxCalTotalSteps();
  virtual Velmarin::EngineAttribLong_ptr TxCalTXVarAtten() { return txCalTxAtten_._this(); }
  virtual Velmarin::EngineReadingBoolean_ptr TxCalValid();
  virtual Velmarin::EngineAttribString_ptr LoopbackCalDateTime();
  virtual Velmarin::EngineAttribString_ptr RFDMCalDateTime();
  virtual Velmarin::EngineReadingBoolean_ptr LoopbackCalValid();
  virtual Velmarin::EngineReadingBoolean_ptr RFDMCalValid();
  virtual Velmarin::EngineAttribString_ptr UserCalDateTime();
  virtual Velmarin::EngineReadingBoolean_ptr UserCalValid();
  virtual Velmarin::EngineReadingValueDouble_ptr UserCalDDSOffset();
  virtual Velmarin::EngineReadingValueDouble_ptr UserCalFMCWData();
  virtual Velmarin::EngineReadingValueDouble_ptr UserCalPulseData();
  virtual Velmarin::EngineReadingLong_ptr CalButtonsLocked() { return calButtonsLocked_._this(); }

  // ---- write handlers
  void AbortCalibrationCallback();
  void StartRxCWCalCallback();
  void StartRxPulseCalCallback();
  void StartTCXOCalCallback();
  void StartTxPowerCalCallback();
  void StartLoopbackCalCallback();
  void StartRFDMCalCallback();
  void StartUserCalCallback();
  void DoRxCWCalStepCallback();
  void DoRxPulseCalStepCallback();
  void DoTxCalStepCallback();
  void DoRFDMCalStepCallback();
  void SaveRxCWCalCallback();
  void SaveRxPulseCalCallback();
  void SaveTCXOCalCallback();
  void SaveTxCalCallback();
  void SaveRFDMCalCallback();
  void TCXOCalDacValueCallback(int v);
  void TxCalTXVariableAttenCallback(int v);
  void TxCalRXVariableAttenCallback(int v);
  void FactoryCalibrationChannelCallback(int ch);

  // Assigns code to CALBUTTONSLOCKED (published to the GUI); the last writer wins.
  void setCalibrationButtonsLocked(unsigned int code);

  // The channel the factory calibrations run on ("FACTORYCALIBRATIONCHANNEL").
  void RecallFactoryCalChan();
  Velmarin::EngineAttribLongParams get_FactoryCalibrationChannelParams() const { return {1, 3, 1}; }
  int FactoryCalibrationChannelValue() const override { return factoryChannel_.Value(); }
  // A write through the attribute, with its checks, as writer who.
  void SetFactoryCalibrationChannel(int ch, const Velmarin::Locker_ID& who) { factoryChannel_.Set(who, ch); }
  // Assigns ch without the checks (with no channel enabled the write would be refused).
  void AssignFactoryCalibrationChannel(int ch) { factoryChannel_ = ch; }

  // Ends an active calibration (the master control's reset).
  void Reset();
  // A channel engine came or went: a calibration whose engine has gone ends.
  void ChannelsChanged();
  // Whether a calibration is active, and of which kind.
  bool Active() const;
  bool Active(radalt::CalKind kind) const;
  // Timing of the step handshake and the pollers (short in tests).
  void SetTiming(const radalt::CalibrationTiming& timing);

 private:
  using Kind = radalt::CalKind;
  using Op = radalt::CalOp;

  // ---- the run's ports
  void Take(radalt::CalHold hold, const std::string& reason, const std::string& message) override;
  // The self-test engine's hold: a failure to give it back is logged, not passed on.
  void Release(radalt::CalHold hold) override;
  void ShowButtons(unsigned code) override { setCalibrationButtonsLocked(code); }
  bool Running(Kind kind) override;
  void ShowRunning(Kind kind, bool running) override;
  void ShowResult(Kind kind) override { RefreshValid(kind); }
  // After a TCXO start the DAC, after a TX start and each TX step the attenuators.
  void ShowEngineValues(Kind kind, Op op, int channel) override;
  int EnabledCount() const override;
  int FactoryChannel(Kind kind, Op op) override;
  bool HasEngine(int channel) override;
  void Execute(Kind kind, Op op, int channel) override;
  long CurrentStep(Kind kind, int channel) override;
  radalt::EngineState EngineRunning(Kind kind, int channel) override;
  void StartPoller(Kind kind, unsigned id, const std::vector<int>& channels,
                   std::chrono::microseconds period) override;
  void StopPoller(Kind kind) override;
  [[noreturn]] void Refuse(const std::string& op, const std::string& text) override;
  void Log(const std::string& line, bool error) override;

  // The channel check of every factory operation: the factory calibration channel, enabled
  // and local. The lines begin with the prefixes given.
  int CheckChannel(const std::string& op, const char* rangePrefix = " ", const char* externalPrefix = " ");
  radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr Engine(int channel);
  // Runs f, which calls channel's engine; an engine's lock refusal is logged for op and passed
  // on in the system's form, an engine not reached (a CORBA system exception) as
  // Communications_failure naming the channel (EngineFailure.h).
  template <class F>
  auto OnEngine(const std::string& op, int channel, F&& f) -> decltype(f());
  // A reading of the factory calibration channel's engine, after the channel check.
  template <class P>
  P Forwarded(const char* op, radalt::ScItemOp<P> item, const char* rangePrefix = " ",
              const char* externalPrefix = " ");
  Velmarin::EngineReadingBoolean_ptr Aggregated(const radalt::CalValidRow& row);
  // Shows the kind's result over the enabled channels once its calibration ended.
  void RefreshValid(radalt::CalKind kind);
  // The running reading of the loopback, RFDM or user calibration.
  Velmarin::EngineReadingBoolean_i& RunningReading(Kind kind);
  // Sets the engine's long item of the role to v as writer who and shows what it accepted.
  void SetEngineLong(const char* op, Velmarin::EngineAttribLong_i& attr,
                     radalt::ScItemOp<Velmarin::EngineAttribLong_ptr> item, int v);
  // Shows what channel's engine holds in item; a failure is told for op.
  void UpdateFromEngine(const std::string& op, Velmarin::EngineAttribLong_i& attr,
                        radalt::ScItemOp<Velmarin::EngineAttribLong_ptr> item, int channel);
  void SeedFromChannel1();
  void Persist();

  radalt::Core* mc_;
  STpersistance* store_;

  Velmarin::EngineReadingLong_i calButtonsLocked_;
  Velmarin::EngineAttribLong_i factoryChannel_;
  Velmarin::EngineAttribVoid_i abort_;
  std::array<std::unique_ptr<Velmarin::EngineAttribVoid_i>, radalt::kCalKindCount> start_;
  std::array<std::unique_ptr<Velmarin::EngineAttribVoid_i>, radalt::kCalKindCount> step_;
  std::array<std::unique_ptr<Velmarin::EngineAttribVoid_i>, radalt::kCalKindCount> save_;
  Velmarin::EngineAttribLong_i tcxoDac_;
  Velmarin::EngineAttribLong_i txCalTxAtten_;
  Velmarin::EngineAttribLong_i txCalRxAtten_;
  Velmarin::EngineReadingBoolean_i loopbackRunning_;
  Velmarin::EngineReadingBoolean_i rfdmRunning_;
  Velmarin::EngineReadingBoolean_i userRunning_;
  std::array<std::unique_ptr<Velmarin::EngineReadingBoolean_i>, radalt::kCalKindCount> valid_;

  // The run's state machine; the pollers below call into it, and are stopped first.
  radalt::CalibrationRun run_{*this};

  radalt::CalibrationPoller loopbackPoller_{"MCTxVarAttenTmr", "CALIBRATION::TxVarAttenTimerTask: "};
  radalt::CalibrationPoller userPoller_{"MCUserCalTimer", "CALIBRATION::UserCalTimerTask: "};
};
