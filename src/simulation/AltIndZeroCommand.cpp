#include "AltIndZeroCommand.h"

#include <boost/bind/bind.hpp>

#include "CalibrationButtonCodes.h"
#include "Core.h"
#include "SimulationCommon.h"
#include "Keys.h"

namespace radalt {

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;

struct CommandInfo {
  const char* key;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineCommand;
};

// In Step order.
const CommandInfo kCommands[] = {
    {radalt::key::STARTALTINDZERO, &SC::StartAltIndZero},
    {radalt::key::SAVEALTINDZERO, &SC::SaveAltIndZero},
    {radalt::key::ABORTALTINDZERO, &SC::AbortAltIndZero},
};

const CommandInfo& InfoOf(AltIndZeroCommand::Step step) { return kCommands[static_cast<int>(step)]; }

}  // namespace

AltIndZeroCommand::AltIndZeroCommand(Step step, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                     Velmarin::Lockable_i& altZeroRun)
    : Parameter(mc, nullptr, namer, gui, InfoOf(step).key, boost::bind(&AltIndZeroCommand::Execute, this)),
      step_(step) {
  // Save and abort end a zero in progress whoever holds ALTZERORUN meanwhile.
  if (step == Step::Start)
    attr_.GuardWith(altZeroRun);
  else
    attr_.GuardWith(altZeroRun, [mc] { return mc->Locks().Holds(LockGroup::SIMRUN, activity::kAltIndZero); });
}

void AltIndZeroCommand::Execute() {
  radalt::Core& mc = *mc_;
  const int n = EnabledChannels(mc);
  const Velmarin::Locker_ID who = WriterId();
  for (int ch = 1; ch <= n; ++ch) {
    ExecuteItem(mc.Items(), mc.GetSingleChannelPtr(ch), InfoOf(step_).engineCommand, who);
  }
  if (step_ == Step::Start)
    LockOut();
  else
    Release();
}

void AltIndZeroCommand::LockOut() {
  radalt::Core& mc = *mc_;
  Take(mc, LockGroup::SIMRUN, activity::kAltIndZero, lock_text::kAltIndZero);
  for (LockGroup g : kDiagnosticGroups) Take(mc, g, activity::kAltIndZero, lock_text::kAltIndZero);
  Take(mc, LockGroup::CALRUN, activity::kAltIndZero, lock_text::kAltIndZero);
  mc.SetCalibrationButtonsLocked(CALBUTTONS_ALT_IND_ZERO);
  mc.LockSelftestEngine(activity::kAltIndZero, lock_text::kAltIndZero.message);
}

void AltIndZeroCommand::Release() {
  radalt::Core& mc = *mc_;
  radalt::Release(mc, LockGroup::SIMRUN, activity::kAltIndZero);
  radalt::Release(mc, LockGroup::CALRUN, activity::kAltIndZero);
  mc.SetCalibrationButtonsLocked(CALBUTTONS_FREE);
  for (LockGroup g : kDiagnosticGroups) radalt::Release(mc, g, activity::kAltIndZero);
  mc.UnlockSelftestEngine(activity::kAltIndZero);
}

}  // namespace radalt
