#include "AltIndZeroCommand.h"

#include <boost/bind/bind.hpp>

#include "CALIBRATION.h"
#include "RADALT_MC.h"
#include "SimulationCommon.h"
#include "UTILS.h"

namespace radalt {

namespace {

using SC = SCI::_objref_RADALTSC_MAIN_INTERFACE;

struct CommandInfo {
  const char* key;
  ScItemOp<Velmarin::EngineAttribVoid_ptr> engineCommand;
};

// In Step order.
const CommandInfo kCommands[] = {
    {"STARTALTINDZERO", &SC::StartAltIndZero},
    {"SAVEALTINDZERO", &SC::SaveAltIndZero},
    {"ABORTALTINDZERO", &SC::AbortAltIndZero},
};

const CommandInfo& InfoOf(AltIndZeroCommand::Step step) { return kCommands[static_cast<int>(step)]; }

}  // namespace

AltIndZeroCommand::AltIndZeroCommand(Step step, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, RADALT_MC* mc,
                                     Velmarin::Lockable_i& altZeroRun)
    : Parameter(mc, nullptr, namer, gui, InfoOf(step).key, boost::bind(&AltIndZeroCommand::Execute, this)),
      step_(step) {
  attr_.GuardWith(altZeroRun);
}

void AltIndZeroCommand::Execute() {
  RADALT_MC& mc = *mc_;
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
  RADALT_MC& mc = *mc_;
  Take(mc, LockGroup::SIMRUN, lock_text::kAltIndZero);
  for (LockGroup g : kDiagnosticGroups) Take(mc, g, lock_text::kAltIndZero);
  Take(mc, LockGroup::CALRUN, lock_text::kAltIndZero);
  if (CALIBRATION* cal = mc.CalibrationObj()) cal->setCalibrationButtonsLocked(CALBUTTONS_ALT_IND_ZERO);
  if (lockingSelftestEngine* selftest = mc.SelftestEngineLock()) selftest->lockSelftestEngine(lock_text::kAltIndZero.message);
}

void AltIndZeroCommand::Release() {
  RADALT_MC& mc = *mc_;
  mc.ReleaseGroup(LockGroup::SIMRUN);
  mc.ReleaseGroup(LockGroup::CALRUN);
  if (CALIBRATION* cal = mc.CalibrationObj()) cal->setCalibrationButtonsLocked(CALBUTTONS_FREE);
  for (LockGroup g : kDiagnosticGroups) mc.ReleaseGroup(g);
  if (lockingSelftestEngine* selftest = mc.SelftestEngineLock()) selftest->unlockSelftestEngine();
}

}  // namespace radalt
