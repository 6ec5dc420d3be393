// The master control's configuration for tests.
#pragma once

#include <string>

#include "EngineConfig.h"

// The engine's configuration for tests: no install root, short discovery pauses.
inline radalt::EngineConfig TestConfig(const std::string& root = "/nonexistent") {
  radalt::EngineConfig c = radalt::EngineConfig::FromEnvironment();
  c.installRoot = root;
  c.discoveryPollMs = 50;
  c.readyPollMs = 20;
  return c;
}

