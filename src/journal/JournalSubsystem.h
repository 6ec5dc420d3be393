// The journal: every client write and command of the master control, with its outcome, and
// the channel engines joining and leaving, kept in engines/lib/journal.db (docs/journal.md).
#pragma once

#include <memory>

#include "Subsystem.h"

namespace radalt {

std::unique_ptr<Subsystem> MakeJournalSubsystem(Core& core);

}  // namespace radalt
