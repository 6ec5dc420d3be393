#include "AltIndZeroCommand.h"

#include <boost/bind/bind.hpp>

#include "CalibrationButtonCodes.h"
#include "Core.h"
#include "SimulationCommon.h"

namespace radalt {

namespace {

struct CommandInfo {
  const char* key;
  Velmarin::EngineAttribVoid_ptr (*engineCommand)(SCI::RADALTSC_MAIN_INTERFACE_ptr);
};

// In Step order.
const CommandInfo kCommands[] = {
    {"STARTALTINDZERO", [](SCI::RADALTSC_MAIN_INTERFACE_ptr sc) { return sc->StartAltIndZero(); }},
    {"SAVEALTINDZERO", [](SCI::RADALTSC_MAIN_INTERFACE_ptr sc) { return sc->SaveAltIndZero(); }},
    {"ABORTALTINDZERO", [](SCI::RADALTSC_MAIN_INTERFACE_ptr sc) { return sc->AbortAltIndZero(); }},
};

const CommandInfo& InfoOf(AltIndZeroCommand::Step step) { return kCommands[static_cast<int>(step)]; }

}  // namespace

AltIndZeroCommand::AltIndZeroCommand(Step step, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                                     Velmarin::Lockable_i& altZeroRun)
    : Parameter(mc, nullptr, namer, gui, InfoOf(step).key, boost::bind(&AltIndZeroCommand::Execute, this)),
      step_(step) {
  attr_.GuardWith(altZeroRun);
}

void AltIndZeroCommand::Execute() {
  radalt::Core& mc = *mc_;
  const int n = EnabledChannels(mc);
  const Velmarin::Locker_ID who = WriterId();
  for (int ch = 1; ch <= n; ++ch) {
    Velmarin::EngineAttribVoid_var command = InfoOf(step_).engineCommand(mc.GetSingleChannelPtr(ch));
    command->Execute(who);
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
