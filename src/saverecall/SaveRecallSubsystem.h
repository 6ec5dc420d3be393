// Save and recall: storing and recalling whole settings and profiles through the platform's
// save/recall engine, the per-channel settings names, the remote catalogue of named settings
// and profiles, and the factory default of a channel.
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeSaveRecallSubsystem(Core& core);

}  // namespace radalt
