// RF level and path losses: RF level mode, output power, loop loss, the path losses and
// offsets, the automatic runs and the AID settings.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeRfLevelSubsystem(Core& core);

}  // namespace radalt
