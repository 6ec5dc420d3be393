// The subsystems of the master control, in registration order.
#pragma once

#include <vector>

#include "Subsystem.h"

namespace radalt {

const std::vector<SubsystemFactory>& RegisteredSubsystems();

}  // namespace radalt
