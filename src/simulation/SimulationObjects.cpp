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

// Entry channel of the three, as B*; null outside 1 to 3.
template <class B, class P1, class P2, class P3>
B* ByChannel(int channel, const P1& c1, const P2& c2, const P3& c3) {
  switch (channel) {
    case 1:
      return c1.get();
    case 2:
      return c2.get();
    case 3:
      return c3.get();
    default:
      return nullptr;
  }
}

void ConstructGroup2(radalt::Core& mc, SimulationObjects& o) {
  Velmarin::Lockable_i& altZeroRun = mc.Group(LockGroup::ALTZERORUN);
  o.startAltIndZero.reset(new START_ALT_IND_ZERO(mc.Namer(), mc.Gui(), &mc, altZeroRun));
  o.saveAltIndZero.reset(new SAVE_ALT_IND_ZERO(mc.Namer(), mc.Gui(), &mc, altZeroRun));
  o.abortAltIndZero.reset(new ABORT_ALT_IND_ZERO(mc.Namer(), mc.Gui(), &mc, altZeroRun));
}

void ConstructGroup3(radalt::Core& mc, SimulationObjects& o) {
  o.profileLegNumberChan1.reset(new PROFILE_LEG_NUMBER_CHAN1(&mc));
  o.profileLegNumberChan2.reset(new PROFILE_LEG_NUMBER_CHAN2(&mc));
  o.profileLegNumberChan3.reset(new PROFILE_LEG_NUMBER_CHAN3(&mc));
}

void ConstructGroup4(radalt::Core& mc, SimulationObjects& o) {
  STpersistance* store = mc.AltSimStore();
  Velmarin::Lockable_i& profileTest = mc.Group(LockGroup::PROFILETEST);
  o.altSimDataChan1.reset(new ALT_SIM_DATA_CHAN1(store, mc.Namer(), mc.Gui(), &mc, profileTest));
  o.altSimDataChan2.reset(new ALT_SIM_DATA_CHAN2(store, mc.Namer(), mc.Gui(), &mc, profileTest));
  o.altSimDataChan3.reset(new ALT_SIM_DATA_CHAN3(store, mc.Namer(), mc.Gui(), &mc, profileTest));
  o.altSimModifiedChan1.reset(new ALT_SIM_MODIFIED(1, &mc));
  o.altSimModifiedChan2.reset(new ALT_SIM_MODIFIED(2, &mc));
  o.altSimModifiedChan3.reset(new ALT_SIM_MODIFIED(3, &mc));
}

template <class T>
void Setting(std::unique_ptr<T>& slot, radalt::Core& mc, LockGroup group) {
  slot.reset(new T(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc, mc.Group(group)));
}

template <class T>
void Setting(std::unique_ptr<T>& slot, radalt::Core& mc) {
  slot.reset(new T(mc.SettingsStore(), mc.Namer(), mc.Gui(), &mc));
}

void ConstructGroup5(radalt::Core& mc, SimulationObjects& o) {
  o.rampFollowUps = std::make_unique<FollowUps>(std::chrono::milliseconds(mc.Config().followUpDelayMs));
  for (int ch = 1; ch <= 3; ++ch) o.rampFollowUps->Define(ch, [&mc, ch] { FollowRampSettings(mc, ch); });
  Setting(o.altSimTotalDuration, mc);
  Setting(o.runStopTest, mc);
  Setting(o.pauseResumeTest, mc);
  Setting(o.simulationMode, mc, LockGroup::SETTINGS);
  Setting(o.currentStartAltitudeChan1, mc, LockGroup::MANUALTEST);
  Setting(o.currentStartAltitudeChan2, mc, LockGroup::MANUALTEST);
  Setting(o.currentStartAltitudeChan3, mc, LockGroup::MANUALTEST);
  Setting(o.currentStopAltitudeChan1, mc, LockGroup::MANUALTEST);
  Setting(o.currentStopAltitudeChan2, mc, LockGroup::MANUALTEST);
  Setting(o.currentStopAltitudeChan3, mc, LockGroup::MANUALTEST);
  Setting(o.currentAltitudeRateChan1, mc, LockGroup::MANUALTEST);
  Setting(o.currentAltitudeRateChan2, mc, LockGroup::MANUALTEST);
  Setting(o.currentAltitudeRateChan3, mc, LockGroup::MANUALTEST);
  Setting(o.currentAltitudeDurationChan1, mc, LockGroup::MANUALTEST);
  Setting(o.currentAltitudeDurationChan2, mc, LockGroup::MANUALTEST);
  Setting(o.currentAltitudeDurationChan3, mc, LockGroup::MANUALTEST);
  Setting(o.altSimNameChan1, mc);
  Setting(o.altSimNameChan2, mc);
  Setting(o.altSimNameChan3, mc);
  Setting(o.currentAltitudeChan1, mc, LockGroup::CURRENTALT);
  Setting(o.currentAltitudeChan2, mc, LockGroup::CURRENTALT);
  Setting(o.currentAltitudeChan3, mc, LockGroup::CURRENTALT);
}

}  // namespace

SimulationObjects::SimulationObjects() = default;
SimulationObjects::~SimulationObjects() {
  if (rampFollowUps) rampFollowUps->Stop();
}

template <RampRole R>
RampParameter<R>* SimulationObjects::Ramp(int channel) const {
  if constexpr (R == RampRole::CurrentAltitude)
    return ByChannel<RampParameter<R>>(channel, currentAltitudeChan1, currentAltitudeChan2, currentAltitudeChan3);
  else if constexpr (R == RampRole::StartAltitude)
    return ByChannel<RampParameter<R>>(channel, currentStartAltitudeChan1, currentStartAltitudeChan2,
                                       currentStartAltitudeChan3);
  else if constexpr (R == RampRole::StopAltitude)
    return ByChannel<RampParameter<R>>(channel, currentStopAltitudeChan1, currentStopAltitudeChan2,
                                       currentStopAltitudeChan3);
  else if constexpr (R == RampRole::Rate)
    return ByChannel<RampParameter<R>>(channel, currentAltitudeRateChan1, currentAltitudeRateChan2,
                                       currentAltitudeRateChan3);
  else
    return ByChannel<RampParameter<R>>(channel, currentAltitudeDurationChan1, currentAltitudeDurationChan2,
                                       currentAltitudeDurationChan3);
}

template CurrentAltitudeParameter* SimulationObjects::Ramp<RampRole::CurrentAltitude>(int) const;
template StartAltitudeParameter* SimulationObjects::Ramp<RampRole::StartAltitude>(int) const;
template StopAltitudeParameter* SimulationObjects::Ramp<RampRole::StopAltitude>(int) const;
template AltitudeRateParameter* SimulationObjects::Ramp<RampRole::Rate>(int) const;
template AltitudeDurationParameter* SimulationObjects::Ramp<RampRole::Duration>(int) const;

AltSimDataParameter* SimulationObjects::AltSimData(int channel) const {
  return ByChannel<AltSimDataParameter>(channel, altSimDataChan1, altSimDataChan2, altSimDataChan3);
}

AltSimNameParameter* SimulationObjects::AltSimName(int channel) const {
  return ByChannel<AltSimNameParameter>(channel, altSimNameChan1, altSimNameChan2, altSimNameChan3);
}

ALT_SIM_MODIFIED* SimulationObjects::AltSimModified(int channel) const {
  return ByChannel<ALT_SIM_MODIFIED>(channel, altSimModifiedChan1, altSimModifiedChan2, altSimModifiedChan3);
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
