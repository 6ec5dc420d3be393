// The altitude-simulation parameter objects of the master control, owned by RADALT_MC and
// built in its construction groups.
#pragma once

#include <memory>

class RADALT_MC;

namespace radalt {

struct SimulationObjects {
  virtual ~SimulationObjects() = default;
};

// Builds the simulation objects of construction group (2 to 5) into objects.
void ConstructSimulationGroup(int group, RADALT_MC& mc, SimulationObjects& objects);

// The simulation mode the master control shows (0 manual, 1 profile).
int SimulationModeValue(const SimulationObjects& objects);

}  // namespace radalt
