#include "SimulationObjects.h"

namespace radalt {

void ConstructSimulationGroup(int, RADALT_MC&, SimulationObjects&) {}

int SimulationModeValue(const SimulationObjects&) { return 0; }

}  // namespace radalt
