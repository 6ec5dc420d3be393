// Reset: every parameter back to its start-up value through its own callback, so that every
// check, lock and forward rule applies. Parameters of subsystems not built yet are skipped.
#include "ABORT_ALT_IND_ZERO.h"
#include "ALT_SIM_DATA_CHAN1.h"
#include "AltSimDataParameter.h"
#include "AltSimNameParameter.h"
#include "COUPLED_ALTITUDE_SIMULATION.h"
#include "NO_OF_ENABLED_CHANNELS.h"
#include "PAUSE_RESUME_TEST.h"
#include "RADALT_MC.h"
#include "RF_CONNECTION.h"
#include "RUN_STOP_TEST.h"
#include "RampParameter.h"
#include "RfLevelObjects.h"
#include "SIMULATION_MODE.h"
#include "SLAVE_MODE.h"

using radalt::RampRole;

namespace {

// Applies set to channel 1, then to channel 2 and 3 as far as they are enabled.
template <class F>
void PerChannel(int enabled, F&& set) {
  for (int ch = 1; ch <= 3 && (ch == 1 || ch <= enabled); ++ch) set(ch);
}

template <RampRole R, class V>
void ResetRamp(radalt::SimulationObjects& sim, int enabled, V value) {
  PerChannel(enabled, [&](int ch) {
    if (auto* p = sim.Ramp<R>(ch)) p->Callback(p->WithValue(value));
  });
}

}  // namespace

void RADALT_MC::Reset() {
  const int n = noOfEnabledChannels_ ? noOfEnabledChannels_->Value() : 0;
  radalt::SimulationObjects& sim = *simulation_;

  // Stop whatever runs, then reset the channel engines.
  if (sim.runStopTest) sim.runStopTest->RunStopTestCallback(false);
  if (sim.abortAltIndZero) sim.abortAltIndZero->AbortAltIndZeroCallback();
  PerChannel(n, [&](int ch) {
    SCI::RADALTSC_MAIN_INTERFACE_ptr sc = GetSingleChannelPtr(ch);
    sc->ResetState();
    sc->ResetHardware();
  });

  // Start-up values, in their order.
  radalt::RfLevelObjects& rf = *rfLevel_;
  radalt::ResetAidSettings(rf);
  PerChannel(n, [&](int ch) {
    if (auto* p = sim.AltSimData(ch)) p->Callback(radalt::AltSimDataParameter::EmptyProfile());
  });
  if (coupledAltitudeSimulation_) coupledAltitudeSimulation_->CoupledAltitudeSimulationCallback(0);
  radalt::ResetCoupledManualRfLevel(rf);
  ResetRamp<RampRole::CurrentAltitude>(sim, n, 0.0);
  ResetRamp<RampRole::Duration>(sim, n, 1);
  ResetRamp<RampRole::Rate>(sim, n, 0.0);
  ResetRamp<RampRole::StartAltitude>(sim, n, 0.0);
  ResetRamp<RampRole::StopAltitude>(sim, n, 0.0);
  PerChannel(n, [&](int ch) { radalt::ResetChannelLevels(rf, ch); });
  if (sim.pauseResumeTest) sim.pauseResumeTest->PauseResumeTestCallback(false);
  if (rfConnection_) rfConnection_->RfConnectionCallback(0);
  radalt::ResetRfLevelMode(rf);
  radalt::ResetRfLevelOffset(rf);
  PerChannel(n, [&](int ch) { radalt::ResetChannelLosses(rf, ch); });
  if (sim.simulationMode) sim.simulationMode->SimulationModeCallback(0);
  if (slaveMode_) slaveMode_->SlaveModeCallback(0);
  PerChannel(n, [&](int ch) {
    if (auto* p = sim.AltSimName(ch)) p->Callback("Profile1");
  });
}
