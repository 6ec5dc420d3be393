#include "EngineConfig.h"

#include <cstdlib>

namespace radalt {

namespace {
// Sets value to the environment variable name when it holds a whole number of milliseconds
// from least up to a day; anything else leaves value as it is.
void MillisecondsFrom(const char* name, long least, unsigned& value) {
  const char* text = std::getenv(name);
  if (!text || !*text) return;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (*end == '\0' && v >= least && v <= 24L * 3600 * 1000) value = static_cast<unsigned>(v);
}
}  // namespace

EngineConfig EngineConfig::FromEnvironment() {
  EngineConfig c;
  const char* root = std::getenv("RADALT_INSTALL_ROOT");
  c.installRoot = (root && *root) ? root : ".";
  MillisecondsFrom("RADALT_DISCOVERY_POLL_MS", 1, c.discoveryPollMs);
  MillisecondsFrom("RADALT_START_WAIT_MS", 1, c.startWaitMs);
  MillisecondsFrom("RADALT_LIVENESS_MS", 1, c.livenessIntervalMs);
  MillisecondsFrom("RADALT_FOLLOW_UP_MS", 0, c.followUpDelayMs);
  MillisecondsFrom("RADALT_RUN_SETTLE_MS", 0, c.runSettleMs);
  MillisecondsFrom("RADALT_LEAVE_GRACE_MS", 0, c.leaveGraceMs);
  return c;
}

}  // namespace radalt
