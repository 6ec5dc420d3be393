// The master control's configuration for tests.
#pragma once

#include <cstdlib>
#include <filesystem>
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

// A fresh install root with its database folder, in memory where the machine offers it; its
// name begins with prefix.
inline std::string FreshTestRoot(const std::string& prefix) {
  const std::filesystem::path shm = "/dev/shm";
  const std::filesystem::path dir = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
  std::string pattern = (dir / (prefix + "-XXXXXX")).string();
  std::string root = ::mkdtemp(pattern.data());
  std::filesystem::create_directories(root + "/engines/lib");
  return root;
}
