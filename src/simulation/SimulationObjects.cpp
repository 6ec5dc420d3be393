#include "SimulationObjects.h"

#include "ABORT_ALT_IND_ZERO.h"
#include "ALT_SIM_DATA_CHAN1.h"
#include "ALT_SIM_DATA_CHAN2.h"
#include "ALT_SIM_DATA_CHAN3.h"
#include "ALT_SIM_MODIFIED.h"
#include "ALT_SIM_NAME_CHAN1.h"
#include "ALT_SIM_NAME_CHAN2.h"
#include "ALT_SIM_NAME_CHAN3.h"
#include "ALT_SIM_TOTAL_DURATION.h"
#include "CURRENT_ALTITUDE_CHAN1.h"
#include "CURRENT_ALTITUDE_CHAN2.h"
#include "CURRENT_ALTITUDE_CHAN3.h"
#include "CURRENT_ALTITUDE_DURATION_CHAN1.h"
#include "CURRENT_ALTITUDE_DURATION_CHAN2.h"
#include "CURRENT_ALTITUDE_DURATION_CHAN3.h"
#include "CURRENT_ALTITUDE_RATE_CHAN1.h"
#include "CURRENT_ALTITUDE_RATE_CHAN2.h"
#include "CURRENT_ALTITUDE_RATE_CHAN3.h"
#include "CURRENT_START_ALTITUDE_CHAN1.h"
#include "CURRENT_START_ALTITUDE_CHAN2.h"
#include "CURRENT_START_ALTITUDE_CHAN3.h"
#include "CURRENT_STOP_ALTITUDE_CHAN1.h"
#include "CURRENT_STOP_ALTITUDE_CHAN2.h"
#include "CURRENT_STOP_ALTITUDE_CHAN3.h"
#include "PAUSE_RESUME_TEST.h"
#include "PROFILE_LEG_NUMBER_CHAN1.h"
#include "PROFILE_LEG_NUMBER_CHAN2.h"
#include "PROFILE_LEG_NUMBER_CHAN3.h"
#include "Core.h"
#include "FollowUps.h"
#include "RUN_STOP_TEST.h"
#include "SAVE_ALT_IND_ZERO.h"
#include "SIMULATION_MODE.h"
#include "START_ALT_IND_ZERO.h"

#include <stdexcept>

namespace radalt {

namespace {

void ConstructGroup2(radalt::Core& mc, SimulationObjects& o) {
  Velmarin::Lockable_i& altZeroRun = mc.Group(LockGroup::ALTZERORUN);
  o.startAltIndZero.reset(new START_ALT_IND_ZERO(mc.Namer(), mc.Gui(), &mc, altZeroRun));
  o.saveAltIndZero.reset(new SAVE_ALT_IND_ZERO(mc.Namer(), mc.Gui(), &mc, altZeroRun));
  o.abortAltIndZero.reset(new ABORT_ALT_IND_ZERO(mc.Namer(), mc.Gui(), &mc, altZeroRun));
}

void ConstructGroup3(radalt::Core& mc, SimulationObjects& o) {
  o.profileLegNumber.BuildEach<PROFILE_LEG_NUMBER_CHAN1, PROFILE_LEG_NUMBER_CHAN2, PROFILE_LEG_NUMBER_CHAN3>(&mc);
}

void ConstructGroup4(radalt::Core& mc, SimulationObjects& o) {
  STpersistance* store = mc.AltSimStore();
  Velmarin::Lockable_i& profileTest = mc.Group(LockGroup::PROFILETEST);
  o.altSimData.BuildEach<ALT_SIM_DATA_CHAN1, ALT_SIM_DATA_CHAN2, ALT_SIM_DATA_CHAN3>(store, mc.Namer(), mc.Gui(), &mc,
                                                                                   profileTest);
  for (int ch = 1; ch <= 3; ++ch) o.altSimModified.Build(ch, ch, &mc);
}

template <class T>
void Setting(std::unique_ptr<T>& slot, radalt::Core& mc, LockGroup group) {
  slot.reset(new T(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, mc.Group(group)));
}

template <class T>
void Setting(std::unique_ptr<T>& slot, radalt::Core& mc) {
  slot.reset(new T(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc));
}

// The twins C1 to C3 of a per-channel setting.
template <class C1, class C2, class C3, class T>
void Twins(PerChannel<T>& slots, radalt::Core& mc, LockGroup group) {
  slots.template BuildEach<C1, C2, C3>(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, mc.Group(group));
}

void ConstructGroup5(radalt::Core& mc, SimulationObjects& o) {
  o.rampFollowUps = std::make_unique<FollowUps>(std::chrono::milliseconds(mc.Config().followUpDelayMs));
  for (int ch = 1; ch <= 3; ++ch) o.rampFollowUps->Define(ch, [&mc, ch] { FollowRampSettings(mc, ch); });
  Setting(o.altSimTotalDuration, mc);
  Setting(o.runStopTest, mc);
  Setting(o.pauseResumeTest, mc);
  Setting(o.simulationMode, mc, LockGroup::SETTINGS);
  Twins<CURRENT_START_ALTITUDE_CHAN1, CURRENT_START_ALTITUDE_CHAN2, CURRENT_START_ALTITUDE_CHAN3>(
      o.currentStartAltitude, mc, LockGroup::MANUALTEST);
  Twins<CURRENT_STOP_ALTITUDE_CHAN1, CURRENT_STOP_ALTITUDE_CHAN2, CURRENT_STOP_ALTITUDE_CHAN3>(o.currentStopAltitude, mc,
                                                                                               LockGroup::MANUALTEST);
  Twins<CURRENT_ALTITUDE_RATE_CHAN1, CURRENT_ALTITUDE_RATE_CHAN2, CURRENT_ALTITUDE_RATE_CHAN3>(o.currentAltitudeRate, mc,
                                                                                               LockGroup::MANUALTEST);
  Twins<CURRENT_ALTITUDE_DURATION_CHAN1, CURRENT_ALTITUDE_DURATION_CHAN2, CURRENT_ALTITUDE_DURATION_CHAN3>(
      o.currentAltitudeDuration, mc, LockGroup::MANUALTEST);
  o.altSimName.BuildEach<ALT_SIM_NAME_CHAN1, ALT_SIM_NAME_CHAN2, ALT_SIM_NAME_CHAN3>(mc.SettingsStore(), mc.Namer(),
                                                                                     mc.Gui(), &mc);
  Twins<CURRENT_ALTITUDE_CHAN1, CURRENT_ALTITUDE_CHAN2, CURRENT_ALTITUDE_CHAN3>(o.currentAltitude, mc,
                                                                                LockGroup::CURRENTALT);
}

}  // namespace

SimulationObjects::SimulationObjects() = default;
SimulationObjects::~SimulationObjects() {
  if (rampFollowUps) rampFollowUps->Stop();
}

void ConstructSimulationGroup(int group, radalt::Core& mc, SimulationObjects& objects) {
  switch (group) {
    case 2:
      ConstructGroup2(mc, objects);
      break;
    case 3:
      ConstructGroup3(mc, objects);
      break;
    case 4:
      ConstructGroup4(mc, objects);
      break;
    case 5:
      ConstructGroup5(mc, objects);
      break;
    default:
      break;
  }
}

SimulationObjects& Simulation(Core& mc) {
  SimulationObjects* objects = mc.Find<SimulationObjects>();
  if (!objects) throw std::logic_error("the simulation subsystem is not registered");
  return *objects;
}

int SimulationModeValue(const SimulationObjects& objects) {
  return objects.simulationMode ? objects.simulationMode->Value() : 0;
}

}  // namespace radalt
