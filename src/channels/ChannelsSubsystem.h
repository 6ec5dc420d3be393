// The channel configuration: channel counts, slave mode, coupling of the simulations, and
// the rf connection.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeChannelsSubsystem(Core& core);

}  // namespace radalt
