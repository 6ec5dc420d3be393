// UUT identification, readings and display: the detection mode, UUT type and sub-type, the
// CDF altitude correction, the measurement readings of every channel, and the display modes
// and units.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeUutSubsystem(Core& core);

}  // namespace radalt
