#include "CALIBRATION.h"

#include <algorithm>
#include <iostream>
#include <thread>

#include <boost/bind/bind.hpp>

#include "CalibrationKinds.h"
#include "Core.h"
#include "EngineFailure.h"
#include "EngineItems.h"
#include "Exceptions.h"
#include "Keys.h"

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

// The order lockAll takes the groups in; unlockAll releases the first three, shows the buttons
// free, then releases the rest.
const LockGroup kLockOrder[] = {LockGroup::SIMRUN,          LockGroup::DIAGTXOUTPUT,
                                LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
                                LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING,
                                LockGroup::DIAGPASSTHRURUNNING, LockGroup::ALTZERORUN,
                                LockGroup::CALRUN};
const LockGroup kReleaseFirst[] = {LockGroup::SIMRUN, LockGroup::ALTZERORUN, LockGroup::CALRUN};
const LockGroup kReleaseThen[] = {LockGroup::DIAGTXOUTPUT,       LockGroup::DIAGTXATTENOUTPUT,
                                  LockGroup::DIAGRXMEASURING,    LockGroup::DIAGLOOPBACKOUTPUT,
                                  LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING};

// An engine that has gone away (or does not answer) rather than refused.
bool EngineGone(const CORBA::SystemException& e) {
  return dynamic_cast<const CORBA::TRANSIENT*>(&e) || dynamic_cast<const CORBA::COMM_FAILURE*>(&e) ||
         dynamic_cast<const CORBA::OBJECT_NOT_EXIST*>(&e);
}

template <class E>
[[noreturn]] void Refuse(const std::string& op, const char* kind, const std::string& text) {
  radalt::LogThrow(" CALIBRATION::" + op + " throw " + kind + ":" + text, E(text.c_str()));
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
  store_->CreateValue<int>(7, kFactoryChannelName, 1.0f, factoryChannel_.Value());
  store_->CreateValue<int>(57, "checkAnalogVarAttenCalRunning", 1.0f, loopbackRunning_.Value() ? 1 : 0);
  store_->CreateValue<int>(56, "checkUserCalRunning", 1.0f, userRunning_.Value() ? 1 : 0);
  for (std::size_t i = 0; i < radalt::kCalKindCount; ++i) {
    const CalValidRow& row = radalt::ValidRow(static_cast<CalKind>(i));
    if (row.persistanceName) store_->CreateValue<int>(row.valueId, row.persistanceName, 1.0f, valid_[i]->Value() ? 1 : 0);
  }
}

void CALIBRATION::SetTiming(const radalt::CalibrationTiming& timing) {
  std::lock_guard<std::mutex> lock(mutex_);
  timing_ = timing;
}

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

// ---- the run and its locks -----------------------------------------------------------------

CALIBRATION::Run CALIBRATION::Current() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return run_;
}

bool CALIBRATION::Active() const { return Current().kind != nullptr; }

bool CALIBRATION::Active(CalKind kind) const {
  const Run run = Current();
  return run.kind && run.kind->kind == kind;
}

void CALIBRATION::lockAll(Run& run, const std::string& reason, const std::string& message) {
  // A group another locker holds stays with it; the calibration's own holds go with it.
  for (LockGroup g : kLockOrder) mc_->Locks().Take(g, radalt::kCalibrationActivity, reason, message);
  run.selftestLocked = true;
  mc_->LockSelftestEngine(radalt::kCalibrationActivity, reason);
}

void CALIBRATION::unlockAll(Run& run) {
  radalt::LockGroups& locks = mc_->Locks();
  for (LockGroup g : kReleaseFirst) locks.Release(g, radalt::kCalibrationActivity);
  setCalibrationButtonsLocked(CALBUTTONS_FREE);
  for (LockGroup g : kReleaseThen) locks.Release(g, radalt::kCalibrationActivity);
  if (!run.selftestLocked) return;
  run.selftestLocked = false;
  try {
    mc_->UnlockSelftestEngine(radalt::kCalibrationActivity);
  } catch (const CORBA::Exception& e) {
    std::cerr << "CALIBRATION::unlockAll: self-test engine not unlocked: " << e._name() << std::endl;
  }
}

unsigned CALIBRATION::Begin(CalKind kind, const std::vector<int>& channels) {
  const CalKindRow& k = radalt::KindRow(kind);
  std::lock_guard<std::mutex> lock(mutex_);
  if (run_.kind)
    Refuse<Errors::Settings_Conflict>(k.startOp, "Settings_Conflict",
                                      "Cannot start a calibration since another calibration is active");
  Run run;
  run.id = ++nextId_;
  run.kind = &k;
  run.channels = channels;
  try {
    lockAll(run, k.reason, k.message);
  } catch (...) {
    unlockAll(run);
    throw;
  }
  setCalibrationButtonsLocked(k.code);
  run_ = run;
  return run.id;
}

bool CALIBRATION::End(unsigned id) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!run_.kind || run_.id != id) return false;
  const CalKind kind = run_.kind->kind;
  unlockAll(run_);
  run_ = Run();
  if (kind == CalKind::Rfdm) rfdmRunning_ = false;
  return true;
}

void CALIBRATION::AbortOn(const std::vector<int>& channels, const Velmarin::Locker_ID& who) {
  for (int ch : channels) {
    if (!mc_->HasChannelEngine(ch)) continue;
    OnEngine("AbortCalibrationCallback", ch, [&] {
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
  }
}

void CALIBRATION::setCalibrationButtonsLocked(unsigned int code) {
  calButtonsLocked_ = static_cast<CORBA::Long>(code);
}

// ---- starts --------------------------------------------------------------------------------

void CALIBRATION::Start(CalKind kind) {
  const CalKindRow& k = radalt::KindRow(kind);
  std::vector<int> channels;
  if (kind == CalKind::User) {
    const int n = EnabledCount();
    if (n < 1)
      Refuse<Errors::Settings_Conflict>(k.startOp, "Settings_Conflict",
                                        "Cannot start a user calibration since no channel is enabled");
    for (int ch = 1; ch <= n; ++ch) channels.push_back(ch);
  } else {
    channels.push_back(CheckChannel(k.startOp, k.startPrefix, k.startPrefix));
  }
  const Velmarin::Locker_ID who = start_[static_cast<std::size_t>(kind)]->Holder();
  // The locks stand before any engine calibrates, so nothing calibrates without them.
  const unsigned id = Begin(kind, channels);
  std::vector<int> started;
  try {
    for (int ch : channels) {
      OnEngine(k.startOp, ch, [&] {
        radalt::OwnedRef<Velmarin::EngineAttribVoid_ptr> start = radalt::Item(mc_->Items(), Engine(ch), k.engineStart);
        start->Execute(who);
      });
      started.push_back(ch);
    }
  } catch (...) {
    // Part way through: the engines that started are aborted and the locks go again.
    try {
      AbortOn(started, abort_.Holder());
    } catch (...) {
      std::cerr << "CALIBRATION::" << k.startOp << ": abort after a failed start failed" << std::endl;
    }
    End(id);
    throw;
  }
  // From here the engines calibrate: a failure leaves the locks standing, so abort works.
  const int ch = channels.front();
  switch (kind) {
    case CalKind::Tcxo:
      UpdateFromEngine(k.startOp, tcxoDac_, &SC::TCXOCalDacValue, ch);
      break;
    case CalKind::TxPower: {
      const CORBA::Long atten = OnEngine(k.startOp, ch, [&] {
        return radalt::Item(mc_->Items(), Engine(ch), &SC::TxCalTXVarAtten)->Get();
      });
      TxCalTXVariableAttenCallback(atten);
      break;
    }
    case CalKind::Loopback:
      StartLoopbackPoller(id, ch);
      break;
    case CalKind::Rfdm:
      rfdmRunning_ = true;
      break;
    case CalKind::User:
      StartUserPoller(id, channels);
      break;
    default:
      break;
  }
}

void CALIBRATION::StartRxCWCalCallback() { Start(CalKind::RxCw); }
void CALIBRATION::StartRxPulseCalCallback() { Start(CalKind::RxPulse); }
void CALIBRATION::StartTCXOCalCallback() { Start(CalKind::Tcxo); }
void CALIBRATION::StartTxPowerCalCallback() { Start(CalKind::TxPower); }
void CALIBRATION::StartLoopbackCalCallback() { Start(CalKind::Loopback); }
void CALIBRATION::StartRFDMCalCallback() { Start(CalKind::Rfdm); }
void CALIBRATION::StartUserCalCallback() { Start(CalKind::User); }

// ---- pollers -------------------------------------------------------------------------------

void CALIBRATION::StartLoopbackPoller(unsigned id, int channel) {
  std::chrono::microseconds period;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    period = timing_.loopbackPeriod;
  }
  // A poller of an earlier run is gone before this run shows itself running.
  loopbackPoller_.Stop();
  loopbackRunning_ = true;
  loopbackPoller_.Start(
      period,
      [this, channel] {
        // The engine gone, the calibration is over.
        if (!mc_->HasChannelEngine(channel)) {
          loopbackRunning_ = false;
          return;
        }
        try {
          radalt::OwnedRef<Velmarin::EngineReadingBoolean_ptr> running =
              radalt::Item(mc_->Items(), Engine(channel), &SC::LoopbackCalRunning);
          const bool now = running->Get();
          if (now != loopbackRunning_.Value()) loopbackRunning_ = now;
        } catch (const CORBA::SystemException& e) {
          if (!EngineGone(e)) throw;
          loopbackRunning_ = false;
        }
      },
      [this, id] { return !loopbackRunning_.Value() || Current().id != id; },
      [this, id] {
        // The result shows before the locks go.
        if (Current().id == id) RefreshValid(CalKind::Loopback);
        End(id);
      });
}

bool CALIBRATION::AnyUserCalRunning(const std::vector<int>& channels) {
  for (int ch : channels) {
    if (!mc_->HasChannelEngine(ch)) continue;  // an engine gone calibrates no more
    try {
      radalt::OwnedRef<Velmarin::EngineReadingBoolean_ptr> running = radalt::Item(mc_->Items(), Engine(ch), &SC::UserCalRunning);
      if (running->Get()) return true;
    } catch (const CORBA::SystemException& e) {
      if (!EngineGone(e)) radalt::RethrowEngineFailure(" CALIBRATION::AnyUserCalRunning", ch);
    }
  }
  return false;
}

void CALIBRATION::StartUserPoller(unsigned id, std::vector<int> channels) {
  std::chrono::microseconds period;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    period = timing_.userPeriod;
  }
  userPoller_.Start(
      period,
      [this, channels] {
        const bool running = AnyUserCalRunning(channels);
        if (running != userRunning_.Value()) userRunning_ = running;
      },
      [this, id] { return !userRunning_.Value() || Current().id != id; },
      [this, id] {
        // The result shows before the locks go.
        if (Current().id == id) RefreshValid(CalKind::User);
        End(id);
      });
}

void CALIBRATION::ChannelsChanged() {
  const Run run = Current();
  // A user calibration goes on on the other channels (its poller ends it); any other kind
  // ran on one channel alone and is over when that channel's engine has gone.
  if (!run.kind || run.kind->kind == CalKind::User) return;
  const int channel = run.channels.front();
  if (mc_->HasChannelEngine(channel)) return;
  std::cout << " CALIBRATION: channel " << channel << " gone, " << run.kind->name << " calibration ended"
            << std::endl;
  if (run.kind->kind == CalKind::Loopback) loopbackRunning_ = false;
  End(run.id);
}

// ---- steps and saves -----------------------------------------------------------------------

void CALIBRATION::Step(CalKind kind) {
  const CalKindRow& k = radalt::KindRow(kind);
  const int ch = CheckChannel(k.stepOp, k.stepPrefix, k.stepPrefix);
  const Velmarin::Locker_ID who = step_[static_cast<std::size_t>(kind)]->Holder();
  OnEngine(k.stepOp, ch, [&] { StepOn(k, ch, who); });
}

void CALIBRATION::StepOn(const CalKindRow& k, int ch, const Velmarin::Locker_ID& who) {
  SCI::RADALTSC_MAIN_INTERFACE_ptr sc = Engine(ch);
  radalt::OwnedRef<Velmarin::EngineAttribVoid_ptr> command = radalt::Item(mc_->Items(), sc, k.engineStep);
  if (!k.engineCurrentStep) {
    command->Execute(who);
    return;
  }
  radalt::OwnedRef<Velmarin::EngineReadingLong_ptr> current = radalt::Item(mc_->Items(), sc, k.engineCurrentStep);
  const CORBA::Long before = current->Get();
  const unsigned runId = Current().id;
  command->Execute(who);

  // The handshake: the engine confirms the step by showing the next step number (or one
  // beyond it); it is waited for, within a bound.
  radalt::CalibrationTiming timing;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    timing = timing_;
  }
  const auto deadline = std::chrono::steady_clock::now() + timing.stepTimeout;
  while (current->Get() < before + 1) {
    if (runId != 0 && Current().id != runId)
      Refuse<Errors::Settings_Conflict>(k.stepOp, "Settings_Conflict",
                                        "The calibration ended before the engine completed the step");
    if (std::chrono::steady_clock::now() >= deadline)
      Refuse<Errors::Settings_Conflict>(k.stepOp, "Settings_Conflict",
                                        "The engine did not complete the calibration step in time");
    std::this_thread::sleep_for(timing.stepPoll);
  }
  if (k.kind == CalKind::TxPower) {
    UpdateFromEngine(k.stepOp, txCalTxAtten_, &SC::TxCalTXVarAtten, ch);
    UpdateFromEngine(k.stepOp, txCalRxAtten_, &SC::TxCalRXVarAtten, ch);
  }
}

void CALIBRATION::DoRxCWCalStepCallback() { Step(CalKind::RxCw); }
void CALIBRATION::DoRxPulseCalStepCallback() { Step(CalKind::RxPulse); }
void CALIBRATION::DoTxCalStepCallback() { Step(CalKind::TxPower); }
void CALIBRATION::DoRFDMCalStepCallback() { Step(CalKind::Rfdm); }

void CALIBRATION::Save(CalKind kind) {
  const CalKindRow& k = radalt::KindRow(kind);
  const int ch = CheckChannel(k.saveOp, k.savePrefix, k.savePrefix);
  const Run run = Current();
  if (!run.kind || run.kind->kind != kind)
    Refuse<Errors::Settings_Conflict>(k.saveOp, "Settings_Conflict",
                                      std::string("Cannot save since no ") + k.name + " calibration is active");
  const Velmarin::Locker_ID who = save_[static_cast<std::size_t>(kind)]->Holder();
  OnEngine(k.saveOp, ch, [&] {
    radalt::OwnedRef<Velmarin::EngineAttribVoid_ptr> save = radalt::Item(mc_->Items(), Engine(ch), k.engineSave);
    save->Execute(who);
  });
  End(run.id);
  RefreshValid(kind);
}

void CALIBRATION::SaveRxCWCalCallback() { Save(CalKind::RxCw); }
void CALIBRATION::SaveRxPulseCalCallback() { Save(CalKind::RxPulse); }
void CALIBRATION::SaveTCXOCalCallback() { Save(CalKind::Tcxo); }
void CALIBRATION::SaveTxCalCallback() { Save(CalKind::TxPower); }
void CALIBRATION::SaveRFDMCalCallback() { Save(CalKind::Rfdm); }

// ---- abort and reset -----------------------------------------------------------------------

void CALIBRATION::AbortCalibrationCallback() {
  CheckChannel("AbortCalibrationCallback");
  const Run run = Current();
  if (!run.kind) return;
  AbortOn(run.channels, abort_.Holder());
  // The loopback poller ends the calibration once the engine reports it stopped.
  if (run.kind->kind == CalKind::Loopback) return;
  End(run.id);
}

void CALIBRATION::Reset() {
  if (Active()) AbortCalibrationCallback();
}

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
  std::vector<int> channels;
  for (int ch = 1; ch <= EnabledCount(); ++ch) channels.push_back(ch);
  const bool running = AnyUserCalRunning(channels);
  if (running != userRunning_.Value()) userRunning_ = running;
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
