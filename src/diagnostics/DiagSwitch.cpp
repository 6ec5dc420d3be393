#include "DiagSwitch.h"

#include <boost/bind/bind.hpp>

#include "ChannelChecks.h"
#include "Keys.h"

namespace radalt {

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;

// The groups every switch takes first, and releases first.
const LockGroup kRunGroups[] = {LockGroup::SIMRUN, LockGroup::ALTZERORUN, LockGroup::CALRUN};

const char* const kLoopbackMessage =
    "Locked because diagnostics loopback is on. Turn off diagnostics: Set Output Status and Measuring to Off on the "
    "Maintenance / Diagnostics / Loopback screen";

const DiagSwitchRow kRows[] = {
    {DiagSwitchRole::TxOutput, "DIAG_OUTPUT_STATUS", "DiagOutputStatusCallback", radalt::key::DIAGOUTPUTSTATUS,
     &SC::DiagOutputStatus, "transmit diagnostics", "Diagnostics output is on",
     "Locked because diagnostics output is on. Turn off diagnostics: Set Output Status to Off on the Maintenance / "
     "Diagnostics / Transmit screen",
     10, LockGroup::DIAGTXOUTPUT,
     {LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING, LockGroup::DIAGLOOPBACKOUTPUT,
      LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING}},
    {DiagSwitchRole::RxMeasuring, "DIAG_RX_MEASURING", "DiagRxMeasuringCallback", radalt::key::DIAGRXMEASURING,
     &SC::DiagRxMeasuring, "receive diagnostics", "Receive Diagnostics measurements active",
     "Locked because receive diagnostics measurements are running. Turn off receive diagnostics: Set Measuring to Off "
     "on the Maintenance / Diagnostics / Receive screen",
     11, LockGroup::DIAGRXMEASURING,
     {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGLOOPBACKOUTPUT,
      LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING}},
    {DiagSwitchRole::AttenOutput, "DiagAttenOutputStatus", "DiagAttenOutputStatusCallback", radalt::key::DIAGATTENOUTPUTSTATUS,
     &SC::DiagAttenOutputStatus, "attenuator diagnostics", "Diagnostics TX Atten output is on",
     "Locked because diagnostics output is on. Turn off diagnostics: Set Output Status to Off on the Maintenance / "
     "Diagnostics / Tx Attens screen",
     8, LockGroup::DIAGTXATTENOUTPUT,
     {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGRXMEASURING, LockGroup::DIAGLOOPBACKOUTPUT,
      LockGroup::DIAGLOOPBACKMEASURING, LockGroup::DIAGPASSTHRURUNNING}},
    {DiagSwitchRole::LoopbackOutput, "DiagLoopbackOutputStatus", "DiagLoopbackOutputStatusCallback",
     radalt::key::DIAGLOOPBACKOUTPUTSTATUS, &SC::DiagLoopbackOutputStatus, "loopback diagnostics output",
     "Diagnostics loopback is on", kLoopbackMessage, 9, LockGroup::DIAGLOOPBACKOUTPUT,
     {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGRXMEASURING, LockGroup::DIAGTXATTENOUTPUT,
      LockGroup::DIAGPASSTHRURUNNING}},
    {DiagSwitchRole::LoopbackMeasuring, "DiagLoopbackMeasuring", "DiagLoopbackMeasuringCallback",
     radalt::key::DIAGLOOPBACKMEASURING, &SC::DiagLoopbackMeasuring, "loopback diagnostics measuring",
     "Diagnostics loopback is on", kLoopbackMessage, 9, LockGroup::DIAGLOOPBACKMEASURING,
     {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGRXMEASURING, LockGroup::DIAGTXATTENOUTPUT,
      LockGroup::DIAGPASSTHRURUNNING}},
    {DiagSwitchRole::PassthruRunning, "DiagPassthruRunning", "DiagPassthruRunningCallback", radalt::key::DIAGPASSTHRURUNNING,
     &SC::DiagPassthruRunning, "passthrough diagnostics", "Diagnostics passthrough is on",
     "Locked because diagnostics passthrough is on. Turn off diagnostics: Set Running to Off on the Maintenance / "
     "Diagnostics / Passthru screen",
     15, LockGroup::DIAGPASSTHRURUNNING,
     {LockGroup::DIAGTXOUTPUT, LockGroup::DIAGTXATTENOUTPUT, LockGroup::DIAGRXMEASURING,
      LockGroup::DIAGLOOPBACKOUTPUT, LockGroup::DIAGLOOPBACKMEASURING}},
};

bool EngineOn(Core* mc, ScItemOp<Velmarin::EngineAttribBoolean_ptr> op) {
  return Item(mc->Items(), mc->GetSingleChannelPtr(1), op)->Get();
}

}  // namespace

const DiagSwitchRow& RowOf(DiagSwitchRole role) {
  for (const DiagSwitchRow& row : kRows)
    if (row.role == role) return row;
  throw std::logic_error("no row for a diagnostic switch");
}

bool DiagInterlock::OtherOn(const DiagSwitch& s) const {
  for (const DiagSwitch* other : switches_)
    if (other != &s && other->Value()) return true;
  return false;
}

DiagSwitch::DiagSwitch(Core* mc, DiagInterlock& interlock, DiagSwitchRole role)
    : Parameter(mc, nullptr, mc->Namer(), mc->Gui(), RowOf(role).key, EngineOn(mc, RowOf(role).engineItem),
                boost::bind(&DiagSwitch::Write, this, boost::placeholders::_1)),
      row_(RowOf(role)),
      interlock_(interlock) {
  interlock_.Add(*this);
  // An output found on (an engine that kept running) is an activity like any other.
  if (attr_.Value()) TakeLocks();
}

void DiagSwitch::Write(bool on) {
  std::lock_guard<std::recursive_mutex> one(interlock_.Mutex());
  if (on)
    SwitchOn();
  else
    SwitchOff();
}

void DiagSwitch::SwitchOn() {
  RequireAnyChannelEnabled(*mc_, Prefix());
  const Velmarin::Locker_ID who = WriterId();
  OwnedRef<Velmarin::EngineAttribBoolean_ptr> item = Item(mc_->Items(), mc_->GetSingleChannelPtr(1), row_.engineItem);
  if (attr_.Value()) {
    // Already on: the engine hears it again, nothing else moves.
    Forward(Prefix() + " throw Locking_Error_Exception", [&] { item->Set(who, true); });
    return;
  }
  RequireOwnGroupFree();
  TakeLocks();
  bool accepted = false;
  try {
    Forward(Prefix() + " throw Locking_Error_Exception", [&] { item->Set(who, true); });
    accepted = item->Get();
  } catch (...) {
    ReleaseLocks();
    throw;
  }
  if (!accepted) {
    ReleaseLocks();
    return;
  }
  attr_ = true;
  mc_->SetCalibrationButtonsLocked(row_.calibrationCode);
  try {
    mc_->LockSelftestEngine(row_.activity, row_.message);
  } catch (const CORBA::Exception& e) {
    // The output is on and the master control's groups are held: the switch did its work.
    std::cout << Prefix() << ": self-test engine not locked (" << e._name() << ")" << std::endl;
  }
}

void DiagSwitch::SwitchOff() {
  if (mc_->HasChannelEngine(1)) {
    OwnedRef<Velmarin::EngineAttribBoolean_ptr> item = Item(mc_->Items(), mc_->GetSingleChannelPtr(1), row_.engineItem);
    const Velmarin::Locker_ID who = WriterId();
    Forward(Prefix() + " throw Locking_Error_Exception", [&] { item->Set(who, false); });
    if (item->Get()) return;  // the engine keeps its output on
  }
  if (attr_.Value())
    ShowOff();
  else
    ReleaseLocks();  // nothing was on; holds left by a failed start go too
}

void DiagSwitch::ChannelsLost() {
  std::lock_guard<std::recursive_mutex> one(interlock_.Mutex());
  if (!attr_.Value()) return;
  if (mc_->HasChannelEngine(1)) {
    try {
      Item(mc_->Items(), mc_->GetSingleChannelPtr(1), row_.engineItem)->Set(mc_->McLocker().Id(), false);
    } catch (const CORBA::Exception& e) {
      std::cout << Prefix() << ": output not switched off (" << e._name() << ")" << std::endl;
    }
  }
  ShowOff();
}

void DiagSwitch::RequireOwnGroupFree() {
  try {
    mc_->Group(row_.own).CheckAccess(Velmarin::NoLock());
  } catch (const Velmarin::Operation_errors::Locking_Error& e) {
    LogThrow(Prefix() + " throw Locking_Error_Exception", Velmarin::Operation_errors::Locking_Error_Exception(e));
  }
}

void DiagSwitch::TakeLocks() {
  LockGroups& locks = mc_->Locks();
  for (LockGroup g : kRunGroups) locks.Take(g, row_.activity, row_.reason, row_.message);
  for (LockGroup g : row_.locks) locks.Take(g, row_.activity, row_.reason, row_.message);
}

void DiagSwitch::ReleaseLocks() {
  LockGroups& locks = mc_->Locks();
  for (LockGroup g : kRunGroups) locks.Release(g, row_.activity);
  for (LockGroup g : row_.locks) locks.Release(g, row_.activity);
}

void DiagSwitch::ShowOff() {
  LockGroups& locks = mc_->Locks();
  for (LockGroup g : kRunGroups) locks.Release(g, row_.activity);
  // The buttons stay with a diagnostic that is still on (the other loopback switch).
  if (!interlock_.OtherOn(*this)) mc_->SetCalibrationButtonsLocked(0);
  for (LockGroup g : row_.locks) locks.Release(g, row_.activity);
  try {
    mc_->UnlockSelftestEngine(row_.activity);
  } catch (const CORBA::Exception& e) {
    std::cout << Prefix() << ": self-test engine not unlocked (" << e._name() << ")" << std::endl;
  }
  attr_ = false;
}

}  // namespace radalt
