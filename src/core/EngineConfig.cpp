#include "EngineConfig.h"

#include <cstdlib>

namespace radalt {

EngineConfig EngineConfig::FromEnvironment() {
  EngineConfig c;
  const char* root = std::getenv("RADALT_INSTALL_ROOT");
  c.installRoot = (root && *root) ? root : ".";
  if (const char* poll = std::getenv("RADALT_DISCOVERY_POLL_MS")) {
    long v = std::atol(poll);
    if (v > 0) c.discoveryPollMs = static_cast<unsigned>(v);
  }
  if (const char* liveness = std::getenv("RADALT_LIVENESS_MS")) {
    long v = std::atol(liveness);
    if (v > 0) c.livenessIntervalMs = static_cast<unsigned>(v);
  }
  if (const char* followUp = std::getenv("RADALT_FOLLOW_UP_MS")) {
    long v = std::atol(followUp);
    if (v >= 0) c.followUpDelayMs = static_cast<unsigned>(v);
  }
  return c;
}

}  // namespace radalt
