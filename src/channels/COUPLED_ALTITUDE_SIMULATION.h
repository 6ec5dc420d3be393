// Whether channels 2 and 3 follow channel 1's altitude simulation ("COUPLEDALTITUDESIMULATION").
#pragma once

#include "BooleanSetting.h"

class COUPLED_ALTITUDE_SIMULATION : public radalt::BooleanSetting {
 public:
  static const char* const PersistanceName;
  COUPLED_ALTITUDE_SIMULATION(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc);

  void CoupledAltitudeSimulationCallback(int v);
  void RecallCoupledAltSim() { AssignRecalled(); }
  Velmarin::EngineAttribBoolean_ptr CoupledAltitudeSimulation() { return This(); }

 private:
  // Channels 2 to n take channel 1's ramp (manual mode) or profile (profile mode).
  void CopyChannel1Simulation(int n);
};
