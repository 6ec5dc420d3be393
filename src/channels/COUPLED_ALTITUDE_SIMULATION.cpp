#include "COUPLED_ALTITUDE_SIMULATION.h"

#include "EngineItems.h"
#include "Core.h"

namespace {
using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;
}

const char* const COUPLED_ALTITUDE_SIMULATION::PersistanceName = "CoupledAltitudeSimulation";

COUPLED_ALTITUDE_SIMULATION::COUPLED_ALTITUDE_SIMULATION(STpersistance* store, Velmarin::ItemNamer& namer,
                                                         MY_GUIABLE_i& gui, radalt::Core* mc)
    : BooleanSetting(store, namer, gui, mc, "COUPLEDALTITUDESIMULATION", PersistanceName, 5,
                     &COUPLED_ALTITUDE_SIMULATION::CoupledAltitudeSimulationCallback) {}

void COUPLED_ALTITUDE_SIMULATION::CoupledAltitudeSimulationCallback(int v) {
  const bool wasOn = Value();
  if (!AssignIfChanged(v)) return;
  const int n = mc_->EnabledChannels();
  if (!wasOn && n >= 2) CopyChannel1Simulation(n);
}

void COUPLED_ALTITUDE_SIMULATION::CopyChannel1Simulation(int n) {
  using radalt::CopyItem;
  radalt::ItemRefs& refs = mc_->Items();
  auto* from = mc_->GetSingleChannelPtr(1);
  const Velmarin::Locker_ID who = WriterId();
  const int mode = mc_->SimulationMode();
  if (mode != 0 && mode != 1)
    radalt::LogThrow(
        " COUPLED_ALTITUDE_SIMULATION::CoupledAltitudeSimulationCallback throw CoupledAltitudeSimulationCallback - alt_sim_mode",
        Velmarin::Runtime_errors::Unhandled_switch("CoupledAltitudeSimulationCallback - alt_sim_mode"));
  for (int ch = 2; ch <= n; ++ch) {
    auto* to = mc_->GetSingleChannelPtr(ch);
    Forward(" COUPLED_ALTITUDE_SIMULATION::CoupledAltitudeSimulationCallback throw Locking_Error_Exception", [&] {
      if (mode == 0) {
        CopyItem(refs, &SC::CurrentStartAltitude, from, to, who);
        CopyItem(refs, &SC::CurrentStopAltitude, from, to, who);
        CopyItem(refs, &SC::CurrentAltitudeRate, from, to, who);
        CopyItem(refs, &SC::CurrentAltitudeDuration, from, to, who);
      } else {
        CopyItem(refs, &SC::AltSimData, from, to, who);
        CopyItem(refs, &SC::AltSimName, from, to, who);
      }
    });
  }
}
