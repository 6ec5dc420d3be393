// Configuration of the engine, read from the environment the host sets up.
#pragma once

#include <string>

#include "platform/ItemNamer.h"

namespace radalt {

struct EngineConfig {
  // Root below which "engines/lib" (database) and "engines/ui_xml" (pages) lie.
  std::string installRoot;
  // Pause between two looks for channel engines while none is registered (ms).
  unsigned discoveryPollMs = 1000;
  // How long the master control waits at start-up for channel 1's engine, whose start-up
  // values and enumerations it takes, before it gives up and is not built (ms).
  unsigned startWaitMs = 120000;
  // Pause between two readiness queries of a channel engine (ms).
  unsigned readyPollMs = 250;
  // How long the run button stays locked after a simulation starts or stops (ms).
  unsigned runSettleMs = 2500;
  // How long a channel engine that announced "destroy," may take to go before the
  // announcement is refused as false (ms).
  unsigned leaveGraceMs = 3000;
  // How often every registered channel engine is looked at (ms), and after how many looks in
  // a row without an answer (each bounded by the call timeout) it counts as gone. An engine
  // that is gone (its process no longer serves it) counts as gone at the first look. A call
  // that an engine does not answer brings the next look forward.
  unsigned livenessIntervalMs = 1000;
  unsigned livenessMisses = 2;
  // How long the readings an engine derives from a written value (the other ramp settings of a
  // written channel) may lag the write (ms). A client that reads one of them sooner has it
  // looked up first.
  unsigned followUpDelayMs = 5;

  // Where attribute assignments are published; empty: the process's DDS participant.
  Velmarin::AttributePublisher publisher;

  // RADALT_INSTALL_ROOT (default "."), RADALT_DISCOVERY_POLL_MS, RADALT_START_WAIT_MS,
  // RADALT_LIVENESS_MS, RADALT_FOLLOW_UP_MS, RADALT_RUN_SETTLE_MS, RADALT_LEAVE_GRACE_MS.
  static EngineConfig FromEnvironment();
};

}  // namespace radalt
