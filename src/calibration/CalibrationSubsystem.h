// The calibration subsystem: factory and user calibration control.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeCalibrationSubsystem(Core& core);

}  // namespace radalt
