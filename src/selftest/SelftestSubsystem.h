// The self-test subsystem: the self-test engine's lock and the lockout while a self test runs.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeSelftestSubsystem(Core& core);

}  // namespace radalt
