// Diagnostics: the transmit, receive, attenuator, loopback and passthrough settings, readings
// and switches of the maintenance screens, with the interlock the switches share.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeDiagnosticsSubsystem(Core& core);

}  // namespace radalt
