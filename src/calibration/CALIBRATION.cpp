#include "CALIBRATION.h"

#include <algorithm>
#include <iostream>

#include <boost/bind/bind.hpp>

#include "CalibrationKinds.h"
#include "Core.h"
#include "EngineFailure.h"
#include "EngineItems.h"
#include "Exceptions.h"
#include "Keys.h"
#include "PersistedValues.h"

using radalt::CalKind;
using radalt::CalKindRow;
using radalt::CalValidRow;
using radalt::LockGroup;
using radalt::ScItemOp;
namespace Errors = Velmarin::Operation_errors;

const radalt::Activity radalt::kCalibrationActivity = "calibration";

namespace {

const char* const kFactoryChannelName = "FactoryCalibrationChannel";
using SC = radalt::SCI::_objref_RADALTSC_MAIN_INTERFACE;

// The lock group of each of the run's holds but the self-test engine's.
const LockGroup kGroupOf[radalt::kCalGroupCount] = {
    LockGroup::SIMRUN,           LockGroup::DIAGTXOUTPUT,         LockGroup::DIAGTXATTENOUTPUT,
    LockGroup::DIAGRXMEASURING,  LockGroup::DIAGLOOPBACKOUTPUT,   LockGroup::DIAGLOOPBACKMEASURING,
    LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN,        LockGroup::CALRUN};

// An engine that has gone away (or does not answer) rather than refused.
bool EngineGone(const CORBA::SystemException& e) {
  return dynamic_cast<const CORBA::TRANSIENT*>(&e) || dynamic_cast<const CORBA::COMM_FAILURE*>(&e) ||
         dynamic_cast<const CORBA::OBJECT_NOT_EXIST*>(&e);
}

Velmarin::EngineAttribLongParams ParamsOf(Velmarin::EngineAttribLong_ptr item) { return item->GetParams(); }

}  // namespace

// ---- construction --------------------------------------------------------------------------

CALIBRATION::CALIBRATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc)
    : mc_(mc),
      store_(store),
      calButtonsLocked_(namer, gui, radalt::key::CALBUTTONSLOCKED, 0),
      factoryChannel_(namer, gui, radalt::key::FACTORYCALIBRATIONCHANNEL, 1,
                      boost::bind(&CALIBRATION::FactoryCalibrationChannelCallback, this, boost::placeholders::_1),
                      get_FactoryCalibrationChannelParams()),
      abort_(namer, gui, radalt::key::ABORTCAL, boost::bind(&CALIBRATION::AbortCalibrationCallback, this)),
      tcxoDac_(namer, gui, radalt::key::TCXOCALDACVALUE, 0,
               boost::bind(&CALIBRATION::TCXOCalDacValueCallback, this, boost::placeholders::_1), {0, 0, 1}),
      txCalTxAtten_(namer, gui, radalt::key::TXCALTXVARATTEN, 0,
                    boost::bind(&CALIBRATION::TxCalTXVariableAttenCallback, this, boost::placeholders::_1),
                    {0, 0, 1}),
      txCalRxAtten_(namer, gui, radalt::key::TXCALRXVARATTEN, 0,
                    boost::bind(&CALIBRATION::TxCalRXVariableAttenCallback, this, boost::placeholders::_1),
                    {0, 0, 1}),
      loopbackRunning_(namer, gui, radalt::key::CHKANALOGVARATTENCALRUNNING, false),
      rfdmRunning_(namer, gui, radalt::key::CHKRFDMCALRUNNING, false),
      userRunning_(namer, gui, radalt::key::CHKUSERCALRUNNING, false) {
  for (std::size_t i = 0; i < radalt::kCalKindCount; ++i) {
    const CalKindRow& k = radalt::KindRow(static_cast<CalKind>(i));
    start_[i].reset(new Velmarin::EngineAttribVoid_i(namer, gui, k.startKey, boost::bind(k.startCallback, this)));
    if (k.stepKey)
      step_[i].reset(new Velmarin::EngineAttribVoid_i(namer, gui, k.stepKey, boost::bind(k.stepCallback, this)));
    if (k.saveKey)
      save_[i].reset(new Velmarin::EngineAttribVoid_i(namer, gui, k.saveKey, boost::bind(k.saveCallback, this)));
    valid_[i].reset(new Velmarin::EngineReadingBoolean_i(namer, gui, radalt::ValidRow(k.kind).key, false));
  }
  SeedFromChannel1();
  Persist();
  // Locking "CALRUN" disables every calibration start.
  for (auto& start : start_) start->GuardWith(mc_->Group(LockGroup::CALRUN));
}

CALIBRATION::~CALIBRATION() {
  loopbackPoller_.Stop();
  userPoller_.Stop();
}

void CALIBRATION::SeedFromChannel1() {
  if (!mc_->HasChannelEngine(1)) return;
  SCI::RADALTSC_MAIN_INTERFACE_ptr sc = mc_->GetSingleChannelPtr(1);
  for (std::size_t i = 0; i < radalt::kCalKindCount; ++i) {
    radalt::OwnedRef<Velmarin::EngineReadingBoolean_ptr> valid =
        radalt::Item(mc_->Items(), sc, radalt::ValidRow(static_cast<CalKind>(i)).engineValid);
    *valid_[i] = static_cast<bool>(valid->Get());
  }
  struct {
    Velmarin::EngineAttribLong_i& attr;
    ScItemOp<Velmarin::EngineAttribLong_ptr> item;
  } longs[] = {{tcxoDac_, &SC::TCXOCalDacValue},
               {txCalTxAtten_, &SC::TxCalTXVarAtten},
               {txCalRxAtten_, &SC::TxCalRXVarAtten}};
  for (auto& l : longs) {
    radalt::OwnedRef<Velmarin::EngineAttribLong_ptr> item = radalt::Item(mc_->Items(), sc, l.item);
    l.attr.SetParams(ParamsOf(item.in()));
    l.attr = item->Get();
  }
  radalt::OwnedRef<Velmarin::EngineReadingBoolean_ptr> loopback = radalt::Item(mc_->Items(), sc, &SC::LoopbackCalRunning);
  loopbackRunning_ = static_cast<bool>(loopback->Get());
  radalt::OwnedRef<Velmarin::EngineReadingBoolean_ptr> rfdm = radalt::Item(mc_->Items(), sc, &SC::RFDMCalRunning);
  rfdmRunning_ = static_cast<bool>(rfdm->Get());
  radalt::OwnedRef<Velmarin::EngineReadingBoolean_ptr> user = radalt::Item(mc_->Items(), sc, &SC::UserCalRunning);
  userRunning_ = static_cast<bool>(user->Get());
}

void CALIBRATION::Persist() {
  if (!store_) return;
  // Each value takes its id from the table of persisted values.
  auto create = [this](const char* name, int value) {
    store_->CreateValue<int>(radalt::persisted::Id(name), name, 1.0f, value);
  };
  create(kFactoryChannelName, factoryChannel_.Value());
  create("checkAnalogVarAttenCalRunning", loopbackRunning_.Value() ? 1 : 0);
  create("checkUserCalRunning", userRunning_.Value() ? 1 : 0);
  for (std::size_t i = 0; i < radalt::kCalKindCount; ++i) {
    const CalValidRow& row = radalt::ValidRow(static_cast<CalKind>(i));
    if (row.persistanceName) create(row.persistanceName, valid_[i]->Value() ? 1 : 0);
  }
}

void CALIBRATION::SetTiming(const radalt::CalibrationTiming& timing) { run_.SetTiming(timing); }

// ---- shared checks -------------------------------------------------------------------------

int CALIBRATION::EnabledCount() const { return mc_->EnabledChannels(); }

radalt::SCI::RADALTSC_MAIN_INTERFACE_ptr CALIBRATION::Engine(int channel) { return mc_->GetSingleChannelPtr(channel); }

int CALIBRATION::CheckChannel(const std::string& op, const char* rangePrefix, const char* externalPrefix) {
  const int ch = factoryChannel_.Value();
  const int n = EnabledCount();
  if (ch > n || ch < 1)
    radalt::LogThrow(std::string(rangePrefix) + "CALIBRATION::" + op +
                         " throw DataOutOfRangeException:Factory calibration channel out of range",
                     Errors::DataOutOfRangeException<int>("Factory calibration channel out of range", 1, n, ch));
  if (!mc_->GetSingleChannelIsLocal(ch))
    radalt::LogThrow(std::string(externalPrefix) + "CALIBRATION::" + op +
                         " throw NotSupported:Factory calibration channel set to an external channel",
                     Errors::NotSupported("Factory calibration channel set to an external channel"));
  return ch;
}

template <class F>
auto CALIBRATION::OnEngine(const std::string& op, int channel, F&& f) -> decltype(f()) {
  try {
    return radalt::OnChannel(channel, " CALIBRATION::" + op, std::forward<F>(f));
  } catch (const Errors::Locking_Error& e) {
    radalt::LogThrow(" CALIBRATION::" + op + " throw Locking_Error_Exception", Errors::Locking_Error_Exception(e));
  }
}

template <class P>
P CALIBRATION::Forwarded(const char* op, ScItemOp<P> item, const char* rangePrefix, const char* externalPrefix) {
  const int ch = CheckChannel(op, rangePrefix, externalPrefix);
  return OnEngine(op, ch, [&] { return (Engine(ch)->*item)(); });
}

void CALIBRATION::setCalibrationButtonsLocked(unsigned int code) {
  calButtonsLocked_ = static_cast<CORBA::Long>(code);
}

// ---- the run: its decisions are CalibrationRun's -------------------------------------------

bool CALIBRATION::Active() const { return run_.Active(); }
bool CALIBRATION::Active(CalKind kind) const { return run_.Active(kind); }

void CALIBRATION::StartRxCWCalCallback() { run_.Start(CalKind::RxCw); }
void CALIBRATION::StartRxPulseCalCallback() { run_.Start(CalKind::RxPulse); }
void CALIBRATION::StartTCXOCalCallback() { run_.Start(CalKind::Tcxo); }
void CALIBRATION::StartTxPowerCalCallback() { run_.Start(CalKind::TxPower); }
void CALIBRATION::StartLoopbackCalCallback() { run_.Start(CalKind::Loopback); }
void CALIBRATION::StartRFDMCalCallback() { run_.Start(CalKind::Rfdm); }
void CALIBRATION::StartUserCalCallback() { run_.Start(CalKind::User); }
void CALIBRATION::DoRxCWCalStepCallback() { run_.Step(CalKind::RxCw); }
void CALIBRATION::DoRxPulseCalStepCallback() { run_.Step(CalKind::RxPulse); }
void CALIBRATION::DoTxCalStepCallback() { run_.Step(CalKind::TxPower); }
void CALIBRATION::DoRFDMCalStepCallback() { run_.Step(CalKind::Rfdm); }
void CALIBRATION::SaveRxCWCalCallback() { run_.Save(CalKind::RxCw); }
void CALIBRATION::SaveRxPulseCalCallback() { run_.Save(CalKind::RxPulse); }
void CALIBRATION::SaveTCXOCalCallback() { run_.Save(CalKind::Tcxo); }
void CALIBRATION::SaveTxCalCallback() { run_.Save(CalKind::TxPower); }
void CALIBRATION::SaveRFDMCalCallback() { run_.Save(CalKind::Rfdm); }
void CALIBRATION::AbortCalibrationCallback() { run_.Abort(); }

void CALIBRATION::Reset() {
  if (Active()) AbortCalibrationCallback();
}

void CALIBRATION::ChannelsChanged() { run_.ChannelsChanged(); }

// ---- the run's ports -----------------------------------------------------------------------

void CALIBRATION::Take(radalt::CalHold hold, const std::string& reason, const std::string& message) {
  if (hold == radalt::CalHold::SelftestEngine) {
    mc_->LockSelftestEngine(radalt::kCalibrationActivity, reason);
    return;
  }
  mc_->Locks().Take(kGroupOf[static_cast<std::size_t>(hold)], radalt::kCalibrationActivity, reason, message);
}

void CALIBRATION::Release(radalt::CalHold hold) {
  if (hold != radalt::CalHold::SelftestEngine) {
    mc_->Locks().Release(kGroupOf[static_cast<std::size_t>(hold)], radalt::kCalibrationActivity);
    return;
  }
  try {
    mc_->UnlockSelftestEngine(radalt::kCalibrationActivity);
  } catch (const CORBA::Exception& e) {
    std::cerr << "CALIBRATION::unlockAll: self-test engine not unlocked: " << e._name() << std::endl;
  }
}

Velmarin::EngineReadingBoolean_i& CALIBRATION::RunningReading(CalKind kind) {
  if (kind == CalKind::Loopback) return loopbackRunning_;
  return kind == CalKind::Rfdm ? rfdmRunning_ : userRunning_;
}

bool CALIBRATION::Running(CalKind kind) { return RunningReading(kind).Value(); }
void CALIBRATION::ShowRunning(CalKind kind, bool running) { RunningReading(kind) = running; }

void CALIBRATION::ShowEngineValues(CalKind kind, Op op, int ch) {
  const std::string name = radalt::OpName(kind, op);
  if (op == Op::Start && kind == CalKind::Tcxo) {
    UpdateFromEngine(name, tcxoDac_, &SC::TCXOCalDacValue, ch);
  } else if (op == Op::Start && kind == CalKind::TxPower) {
    const CORBA::Long atten =
        OnEngine(name, ch, [&] { return radalt::Item(mc_->Items(), Engine(ch), &SC::TxCalTXVarAtten)->Get(); });
    TxCalTXVariableAttenCallback(atten);
  } else if (op == Op::Step && kind == CalKind::TxPower) {
    UpdateFromEngine(name, txCalTxAtten_, &SC::TxCalTXVarAtten, ch);
    UpdateFromEngine(name, txCalRxAtten_, &SC::TxCalRXVarAtten, ch);
  }
}

int CALIBRATION::FactoryChannel(CalKind kind, Op op) {
  if (op == Op::Abort) return CheckChannel(radalt::OpName(kind, op));
  const CalKindRow& k = radalt::KindRow(kind);
  const char* prefix = op == Op::Start ? k.startPrefix : op == Op::Step ? k.stepPrefix : k.savePrefix;
  return CheckChannel(radalt::OpName(kind, op), prefix, prefix);
}

bool CALIBRATION::HasEngine(int channel) { return mc_->HasChannelEngine(channel); }

void CALIBRATION::Execute(CalKind kind, Op op, int ch) {
  const std::string name = radalt::OpName(kind, op);
  if (op == Op::Abort) {
    const Velmarin::Locker_ID who = abort_.Holder();
    OnEngine(name, ch, [&] {
      try {
        radalt::OwnedRef<Velmarin::EngineAttribVoid_ptr> abort = radalt::Item(mc_->Items(), Engine(ch), &SC::AbortCalibration);
        abort->Execute(who);
      } catch (const CORBA::SystemException& e) {
        // An engine that went away calibrates no more; the others are still told.
        if (!EngineGone(e)) throw;
        std::cerr << "CALIBRATION::AbortCalibrationCallback: channel " << ch << " gone (" << e._name() << ")"
                  << std::endl;
      }
    });
    return;
  }
  const CalKindRow& k = radalt::KindRow(kind);
  const std::size_t i = static_cast<std::size_t>(kind);
  const ScItemOp<Velmarin::EngineAttribVoid_ptr> item =
      op == Op::Start ? k.engineStart : op == Op::Step ? k.engineStep : k.engineSave;
  Velmarin::EngineAttribVoid_i& command = op == Op::Start ? *start_[i] : op == Op::Step ? *step_[i] : *save_[i];
  const Velmarin::Locker_ID who = command.Holder();
  OnEngine(name, ch, [&] {
    radalt::OwnedRef<Velmarin::EngineAttribVoid_ptr> engine = radalt::Item(mc_->Items(), Engine(ch), item);
    engine->Execute(who);
  });
}

long CALIBRATION::CurrentStep(CalKind kind, int ch) {
  return OnEngine(radalt::OpName(kind, Op::Step), ch,
                  [&] { return radalt::Item(mc_->Items(), Engine(ch), radalt::KindRow(kind).engineCurrentStep)->Get(); });
}

radalt::EngineState CALIBRATION::EngineRunning(CalKind kind, int ch) {
  const ScItemOp<Velmarin::EngineReadingBoolean_ptr> item =
      kind == CalKind::Loopback ? &SC::LoopbackCalRunning : &SC::UserCalRunning;
  try {
    radalt::OwnedRef<Velmarin::EngineReadingBoolean_ptr> running = radalt::Item(mc_->Items(), Engine(ch), item);
    return running->Get() ? radalt::EngineState::Running : radalt::EngineState::Stopped;
  } catch (const CORBA::SystemException& e) {
    if (EngineGone(e)) return radalt::EngineState::Gone;
    if (kind == CalKind::User) radalt::RethrowEngineFailure(" CALIBRATION::AnyUserCalRunning", ch);
    throw;
  }
}

void CALIBRATION::StartPoller(CalKind kind, unsigned id, const std::vector<int>& channels,
                              std::chrono::microseconds period) {
  radalt::CalibrationPoller& poller = kind == CalKind::Loopback ? loopbackPoller_ : userPoller_;
  poller.Start(
      period, [this, kind, channels] { run_.RefreshRunning(kind, channels); },
      [this, kind, id] { return run_.PollerDone(kind, id); }, [this, kind, id] { run_.PollerEnd(kind, id); });
}

void CALIBRATION::StopPoller(CalKind kind) { (kind == CalKind::Loopback ? loopbackPoller_ : userPoller_).Stop(); }

void CALIBRATION::Refuse(const std::string& op, const std::string& text) {
  radalt::LogThrow(" CALIBRATION::" + op + " throw Settings_Conflict:" + text, Errors::Settings_Conflict(text.c_str()));
}

void CALIBRATION::Log(const std::string& line, bool error) { (error ? std::cerr : std::cout) << line << std::endl; }

// ---- attenuators and DAC -------------------------------------------------------------------

void CALIBRATION::UpdateFromEngine(const std::string& op, Velmarin::EngineAttribLong_i& attr,
                                   ScItemOp<Velmarin::EngineAttribLong_ptr> item, int channel) {
  const CORBA::Long v =
      OnEngine(op, channel, [&] { return radalt::Item(mc_->Items(), Engine(channel), item)->Get(); });
  if (v != attr.Value()) attr = v;
}

void CALIBRATION::SetEngineLong(const char* op, Velmarin::EngineAttribLong_i& attr,
                                ScItemOp<Velmarin::EngineAttribLong_ptr> item, int v) {
  const int ch = CheckChannel(op);
  const Velmarin::Locker_ID who = attr.Holder();
  OnEngine(op, ch, [&] {
    radalt::OwnedRef<Velmarin::EngineAttribLong_ptr> engine = radalt::Item(mc_->Items(), Engine(ch), item);
    engine->Set(who, v);
  });
  UpdateFromEngine(op, attr, item, ch);
}

void CALIBRATION::TCXOCalDacValueCallback(int v) {
  SetEngineLong("TCXOCalDacValueCallback", tcxoDac_, &SC::TCXOCalDacValue, v);
}
void CALIBRATION::TxCalTXVariableAttenCallback(int v) {
  SetEngineLong("TxCalTXVariableAttenCallback", txCalTxAtten_, &SC::TxCalTXVarAtten, v);
}
void CALIBRATION::TxCalRXVariableAttenCallback(int v) {
  SetEngineLong("TxCalRXVariableAttenCallback", txCalRxAtten_, &SC::TxCalRXVarAtten, v);
}

// ---- factory calibration channel -----------------------------------------------------------

void CALIBRATION::FactoryCalibrationChannelCallback(int ch) {
  const int n = EnabledCount();
  if (!(n >= ch && ch > 0))
    radalt::LogThrow("<CALIBRATION::FactoryCalibrationChannelCallback:throw Illegal channel",
                     Errors::DataOutOfRangeException<int>("Illegal channel", 1, n, ch));
  if (!mc_->GetSingleChannelIsLocal(ch))
    radalt::LogThrow(
        "<CALIBRATION::FactoryCalibrationChannelCallback:throw Cannot perform a factory calibration on an external channel",
        Errors::NotSupported("Cannot perform a factory calibration on an external channel"));
  for (int c = 1; c <= n; ++c) {
    if (OnEngine("FactoryCalibrationChannelCallback", c,
                 [&] { return radalt::Item(mc_->Items(), Engine(c), &SC::FactoryCalRunning)->Get(); }))
      radalt::LogThrow(
          "<CALIBRATION::FactoryCalibrationChannelCallback:throw Cannot change channel since a factory calibration is active",
          Errors::Settings_Conflict("Cannot change channel since a factory calibration is active"));
  }
  if (ch != factoryChannel_.Value()) factoryChannel_ = ch;
}

void CALIBRATION::KeepWithinEnabled(int n, const Velmarin::Locker_ID& who) {
  const int ch = FactoryCalibrationChannelValue();
  // With no channel left the channel's own check would refuse every value: channel 1 is
  // assigned directly.
  if (n == 0 && ch > 1) AssignFactoryCalibrationChannel(1);
  else if (n >= 1 && n < ch) SetFactoryCalibrationChannel(n, who);
}

void CALIBRATION::RecallFactoryCalChan() {
  if (store_) factoryChannel_ = store_->GetValue<int>(std::string(kFactoryChannelName), 1.0f);
}

// ---- readings ------------------------------------------------------------------------------

Velmarin::EngineReadingBoolean_ptr CALIBRATION::Aggregated(const CalValidRow& row) {
  const int n = EnabledCount();
  bool all = n > 0;
  for (int ch = 1; all && ch <= n; ++ch)
    all = OnEngine(row.key, ch, [&] { return radalt::Item(mc_->Items(), Engine(ch), row.engineValid)->Get(); });
  Velmarin::EngineReadingBoolean_i& reading = *valid_[static_cast<std::size_t>(row.kind)];
  reading = all;
  return reading._this();
}

void CALIBRATION::RefreshValid(CalKind kind) {
  try {
    Velmarin::EngineReadingBoolean_var shown = Aggregated(radalt::ValidRow(kind));
  } catch (const CORBA::Exception& e) {
    // Only the display of the result: the next look at the reading tries again.
    std::cerr << "CALIBRATION: " << radalt::ValidRow(kind).key << " not refreshed: " << e._name() << std::endl;
  }
}

Velmarin::EngineReadingBoolean_ptr CALIBRATION::checkUserCalRunning() {
  run_.RefreshRunning(CalKind::User, radalt::ChannelsUpTo(EnabledCount()));
  return userRunning_._this();
}

Velmarin::EngineReadingBoolean_ptr CALIBRATION::checkLoopbackCalRunning() { return loopbackRunning_._this(); }
Velmarin::EngineReadingBoolean_ptr CALIBRATION::checkRFDMCalRunning() { return rfdmRunning_._this(); }

Velmarin::EngineReadingBoolean_ptr CALIBRATION::RxCWCalValid() { return Aggregated(radalt::ValidRow(CalKind::RxCw)); }
Velmarin::EngineReadingBoolean_ptr CALIBRATION::RxPulseCalValid() {
  return Aggregated(radalt::ValidRow(CalKind::RxPulse));
}
Velmarin::EngineReadingBoolean_ptr CALIBRATION::TCXOCalValid() { return Aggregated(radalt::ValidRow(CalKind::Tcxo)); }
Velmarin::EngineReadingBoolean_ptr CALIBRATION::TxCalValid() { return Aggregated(radalt::ValidRow(CalKind::TxPower)); }
Velmarin::EngineReadingBoolean_ptr CALIBRATION::LoopbackCalValid() {
  return Aggregated(radalt::ValidRow(CalKind::Loopback));
}
Velmarin::EngineReadingBoolean_ptr CALIBRATION::RFDMCalValid() { return Aggregated(radalt::ValidRow(CalKind::Rfdm)); }
Velmarin::EngineReadingBoolean_ptr CALIBRATION::UserCalValid() { return Aggregated(radalt::ValidRow(CalKind::User)); }

// own commands
Velmarin::EngineAttribVoid_ptr CALIBRATION::abortCalibration() { return abort_._this(); }
#define CAL_COMMAND(Accessor, Array, Kind) \
  Velmarin::EngineAttribVoid_ptr CALIBRATION::Accessor() { return Array[static_cast<std::size_t>(CalKind::Kind)]->_this(); }
CAL_COMMAND(DoRxCWCalStep, step_, RxCw)
CAL_COMMAND(DoRFDMCalStep, step_, Rfdm)
CAL_COMMAND(DoRxPulseCalStep, step_, RxPulse)
CAL_COMMAND(DoTxCalStep, step_, TxPower)
CAL_COMMAND(SaveRxCWCal, save_, RxCw)
CAL_COMMAND(SaveRxPulseCal, save_, RxPulse)
CAL_COMMAND(SaveRFDMCal, save_, Rfdm)
CAL_COMMAND(SaveTCXOCal, save_, Tcxo)
CAL_COMMAND(SaveTxCal, save_, TxPower)
CAL_COMMAND(StartRxCWCal, start_, RxCw)
CAL_COMMAND(StartRxPulseCal, start_, RxPulse)
CAL_COMMAND(StartTCXOCal, start_, Tcxo)
CAL_COMMAND(StartTxPowerCal, start_, TxPower)
CAL_COMMAND(StartLoopbackCal, start_, Loopback)
CAL_COMMAND(StartRFDMCal, start_, Rfdm)
CAL_COMMAND(StartUserCal, start_, User)
#undef CAL_COMMAND

// the factory calibration channel engine's own readings
#define CAL_FORWARD(Type, Accessor, Item) \
  Velmarin::Type##_ptr CALIBRATION::Accessor() { return Forwarded(#Accessor, &SC::Item); }
CAL_FORWARD(EngineReadingLong, LoopbackCalPctComplete, LoopbackCalPctComplete)
CAL_FORWARD(EngineReadingLong, RxCwCalADCInfo, RxCwCalADCInfo)
CAL_FORWARD(EngineReadingLong, RxCwCalCurrentStep, RxCwCalCurrentStep)
CAL_FORWARD(EngineAttribString, RXCWCalDateTime, RxCWCalDateTime)
CAL_FORWARD(EngineReadingValueDouble, RxCwCalPromptFrequency, RxCwCalPromptFrequency)
CAL_FORWARD(EngineReadingValueDouble, RxCwCalPromptPwrLevel, RxCwCalPromptPwrLevel)
CAL_FORWARD(EngineReadingLong, RxCwCalTotalSteps, RxCwCalTotalSteps)
CAL_FORWARD(EngineReadingLong, RxPulseCalADCInfo, RxPulseCalADCInfo)
CAL_FORWARD(EngineReadingLong, RxPulseCalCurrentStep, RxPulseCalCurrentStep)
CAL_FORWARD(EngineAttribString, RXPulseCalDateTime, RxPulseCalDateTime)
CAL_FORWARD(EngineReadingValueDouble, RxPulseCalPromptPulseWidth, RxPulseCalPromptPulseWidth)
CAL_FORWARD(EngineReadingLong, RxPulseCalTotalSteps, RxPulseCalTotalSteps)
CAL_FORWARD(EngineAttribString, TCXOCalDateTime, TCXOCalDateTime)
CAL_FORWARD(EngineReadingLong, TxCalCurrentStep, TxCalCurrentStep)
CAL_FORWARD(EngineAttribString, TxCalDateTime, TxCalDateTime)
CAL_FORWARD(EngineReadingValueDouble, TxCalPromptFrequency, TxCalPromptFrequency)
CAL_FORWARD(EngineReadingValueDouble, TxCalPromptPwrLevel, TxCalPromptPwrLevel)
CAL_FORWARD(EngineReadingBoolean, TxCalPromptTxRxAttenIsTx, TxCalPromptTxRxAttenIsTx)
CAL_FORWARD(EngineReadingBoolean, TxCalPromptUseSiggen, TxCalPromptUseSiggen)
CAL_FORWARD(EngineReadingLong, TxCalTotalSteps, TxCalTotalSteps)
CAL_FORWARD(EngineAttribString, LoopbackCalDateTime, LoopbackCalDateTime)
CAL_FORWARD(EngineAttribString, UserCalDateTime, UserCalDateTime)
CAL_FORWARD(EngineReadingValueDouble, UserCalDDSOffset, UserCalDDSOffset)
CAL_FORWARD(EngineReadingValueDouble, UserCalFMCWData, UserCalFMCWData)
CAL_FORWARD(EngineReadingValueDouble, UserCalPulseData, UserCalPulseData)
#undef CAL_FORWARD

// The RFDM lines begin with "MC".
Velmarin::EngineReadingLong_ptr CALIBRATION::RFDMCalCurrentStep() {
  return Forwarded("RFDMCalCurrentStep", &SC::RFDMCalCurrentStep, "MC ", "MC ");
}
Velmarin::EngineAttribString_ptr CALIBRATION::RFDMCalDateTime() {
  return Forwarded("RFDMCalDateTime", &SC::RFDMCalDateTime, "MC ", "MC  ");
}
