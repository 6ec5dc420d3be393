// The remote control interfaces: the main interface and the in-house interface.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeRemoteSubsystem(Core& core);

}  // namespace radalt
