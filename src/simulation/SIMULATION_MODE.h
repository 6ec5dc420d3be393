// How the channels' altitude is driven ("SIMULATIONMODE"): 0 manual (a fixed altitude or a
// ramp), 1 profile. One setting for all channels; refused to other users while SETTINGS is held
// (a simulation runs). A change of mode locks the manual ramp in profile mode and the run
// button while the profile has no legs; every write hands the ramp or the profile name to the
// channel engines.
#pragma once

#include "MYGUIABLE.h"
#include "Parameter.h"

class SIMULATION_MODE : public radalt::Parameter<Velmarin::EngineAttribEnum_i> {
 public:
  static const char* const PersistanceName;

  SIMULATION_MODE(STpersistance* store, Velmarin::ItemNamer& namer, MY_GUIABLE_i& gui, radalt::Core* mc,
                  Velmarin::Lockable_i& settings);

  void SimulationModeCallback(int mode);
  void RecallSimulationMode();
  // Takes the allowed values and their labels from channel 1's engine.
  void get_SimulationModeParams();
  Velmarin::EngineAttribEnum_ptr SimulationMode() { return This(); }
  int Value() const { return attr_.Value(); }

 private:
  // Writes mode to the engines of channels 1 .. n (SettingWrite, lines beginning with prefix)
  // and shows what channel 1's engine holds, with what follows a change when follow is set.
  void WriteEngines(int mode, int n, const char* prefix, bool follow);
  // The locks and ramp settings that follow a change to actual.
  void ModeChanged(int actual);
  // Hands channel 1's settings to the coupled channels, then the ramp or profile name of
  // every channel to its engine.
  void Distribute(int mode, int n);
};
