#include "COUPLED_ALTITUDE_SIMULATION.h"

#include "ChannelWrites.h"
#include "EngineItems.h"
#include "Services.h"
#include "Core.h"
#include "Keys.h"

namespace {
using SC = Velmarin::RadAltSingleChannelStateControl::_objref_RADALTSC_MAIN_INTERFACE;
}

const char* const COUPLED_ALTITUDE_SIMULATION::PersistanceName = "CoupledAltitudeSimulation";

COUPLED_ALTITUDE_SIMULATION::COUPLED_ALTITUDE_SIMULATION(STpersistance* store, Velmarin::ItemNamer& namer,
                                                         MY_GUIABLE_i& gui, radalt::Core* mc)
    : BooleanSetting(store, namer, gui, mc, radalt::key::COUPLEDALTITUDESIMULATION, PersistanceName,
                     &COUPLED_ALTITUDE_SIMULATION::CoupledAltitudeSimulationCallback) {}

void COUPLED_ALTITUDE_SIMULATION::CoupledAltitudeSimulationCallback(int v) {
  const bool wasOn = Value();
  if (!AssignIfChanged(v)) return;
  const int n = mc_->EnabledChannels();
  if (!wasOn && n >= 2) {
    CopyChannel1Simulation(n);
  } else if (auto* display = mc_->Find<radalt::SimulationDisplay>()) {
    display->FollowEngines({});  // the total duration counts other channels now
  }
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
  const std::vector<int> channels = radalt::ChannelsUpTo(n, 2);
  // The channels' attributes show what their engines now hold, also after a failed copy.
  auto follow = [&](const std::vector<int>& copied) {
    if (auto* display = mc_->Find<radalt::SimulationDisplay>()) display->FollowEngines(copied);
  };
  const char* const prefix = " COUPLED_ALTITUDE_SIMULATION::CoupledAltitudeSimulationCallback";
  Forward(std::string(prefix) + " throw Locking_Error_Exception", [&] {
    radalt::WriteChannels(
        channels, prefix,
        [&](int ch) {
          auto* to = mc_->GetSingleChannelPtr(ch);
          if (mode == 0) {
            CopyItem(refs, &SC::CurrentStartAltitude, from, to, who);
            CopyItem(refs, &SC::CurrentStopAltitude, from, to, who);
            CopyItem(refs, &SC::CurrentAltitudeRate, from, to, who);
            CopyItem(refs, &SC::CurrentAltitudeDuration, from, to, who);
          } else {
            CopyItem(refs, &SC::AltSimData, from, to, who);
            CopyItem(refs, &SC::AltSimName, from, to, who);
          }
        },
        follow);
  });
  follow(channels);
}
