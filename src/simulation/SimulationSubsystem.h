// The altitude simulation: ramp settings, profiles, run/stop, pause/resume, simulation mode
// and the altitude-indicator zero.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeSimulationSubsystem(Core& core);

}  // namespace radalt
